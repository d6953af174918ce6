# The commands of the README: `make test`, `make demo` and `make dist`.
JOBS ?= 2
WINDOWS_PRESETS := windows-x64 windows-x86
# The x64 build that `make demo` and `make dist` use.
X64_BUILD ?= build/windows-x64

.PHONY: test bootstrap native windows bench bench-win fuzz fuzz-brief demo dist clean

test: bootstrap native windows bench fuzz-brief

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

# The libFuzzer programs (clang; the native build replays their seed corpora as tests):
# each runs for FUZZ_SECONDS over build/fuzz/corpus-<name> and the seeds in
# fuzz/corpus/<name> (only read), prints its summary and fails the target on any finding
# (written to build/fuzz/findings). `make test` runs each briefly so that none can rot.
FUZZ_SECONDS ?= 600
FUZZ_BRIEF_SECONDS ?= 30
FUZZ_PROGRAMS := persist record reg_script sites facade differential
fuzz: bootstrap
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	./fuzz/run-fuzz.sh build/fuzz $(FUZZ_SECONDS) $(FUZZ_PROGRAMS)

fuzz-brief:
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_BRIEF_SECONDS)

# The control in the demo container on examples/catalogue.html: prints the events of a
# short walk and writes build/demo.png.
demo: bootstrap
	cmake --preset windows-x64 -B $(X64_BUILD) >/dev/null
	cmake --build $(X64_BUILD) -j $(JOBS) --target ZorTabList demo_container
	./tools/demo/run-demo.sh $(X64_BUILD) build/demo.png

# build/dist/: the zip (both controls, type library, header, GUIDs, examples, reference,
# licence, checksums) and the installer, made by the windows-x64 build (which brings the
# windows-x86 control up to date itself).
dist: bootstrap
	cmake --preset windows-x64 -B $(X64_BUILD) >/dev/null
	cmake --build $(X64_BUILD) -j $(JOBS) --target zortab_dist
	rm -rf build/dist && mkdir -p build/dist
	cp $(X64_BUILD)/dist/ZorTabList-*.zip $(X64_BUILD)/dist/ZorTabList-*-setup.exe \
	  $(X64_BUILD)/dist/SHA256SUMS build/dist/
	@ls -l build/dist

clean:
	rm -rf build
