# The two commands of the README: `make test` and `make demo`.
JOBS ?= 2
WINDOWS_PRESETS := windows-x64 windows-x86

.PHONY: test bootstrap native windows bench bench-win demo clean

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

# The Windows benchmark under Wine (x64): rebuilds, AddItemList and DeleteAll of the
# control beside the same work sent straight to a tree view. Prints a table and writes the
# medians to build/bench-win.json.
bench-win: bootstrap
	cmake --preset windows-x64 >/dev/null
	cmake --build --preset windows-x64 -j $(JOBS) --target run_bench_win

demo: bootstrap
	cmake --preset windows-x64 >/dev/null
	cmake --build --preset windows-x64 -j $(JOBS) --target ZorTabList
	./tools/demo/run-demo.sh build/windows-x64

clean:
	rm -rf build
