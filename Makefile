# The two commands of the README: `make test` and `make demo`.
JOBS ?= 2
WINDOWS_PRESETS := windows-x64 windows-x86

.PHONY: test bootstrap native windows bench demo clean

test: bootstrap native windows bench

bootstrap:
	@./cmake/bootstrap.sh

native:
	cmake --preset native >/dev/null
	cmake --build --preset native -j $(JOBS)
	ctest --preset native -j $(JOBS)

windows:
	@for p in $(WINDOWS_PRESETS); do \
	  cmake --preset $$p >/dev/null && cmake --build --preset $$p -j $(JOBS) && \
	  ctest --preset $$p || exit 1; \
	done

# Benchmarks are built by every test run so that they cannot rot; run them with
# build/bench/bench/zortab_bench.
bench:
	cmake --preset bench >/dev/null
	cmake --build --preset bench -j $(JOBS)

clean:
	rm -rf build
