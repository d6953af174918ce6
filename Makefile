# The commands of the README: `make test`, `make demo` and `make dist`.
JOBS ?= 2
WINDOWS_PRESETS := windows-x64 windows-x86
# The x64 build that `make demo` and `make dist` use.
X64_BUILD ?= build/windows-x64

.PHONY: test bootstrap native windows bench bench-win fuzz demo dist clean

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

# The libFuzzer programs (clang; the native build replays their seed corpus as a test).
# New inputs go to build/fuzz/corpus-persist; the seeds in fuzz/corpus are only read.
FUZZ_SECONDS ?= 60
fuzz:
	@command -v clang++ >/dev/null || { echo "make fuzz: clang++ is not installed"; exit 1; }
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	mkdir -p build/fuzz/corpus-persist
	build/fuzz/fuzz/persist_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  build/fuzz/corpus-persist fuzz/corpus/persist

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
