# The two commands of the quick start, plus benchmarks and fuzzing. Each
# installs what is missing first, so they work on a fresh Debian 12 machine.
JOBS ?= $(shell nproc)
TEST_BUILD := build/test
TSAN_BUILD := build/tsan
RELEASE_BUILD := build/release
FUZZ_BUILD := build/fuzz
FUZZ_SECONDS ?= 20
WINDOWS_BUILD := build/windows
WINDOWS_CONFIGURE := cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release \
	-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

.PHONY: deps windows-deps test bench fuzz run package windows clean

deps:
	@scripts/install-deps

# The cross compiler and Wine, libpng for Windows and the whole cpp-httplib
# header for the Windows test servers, each from Debian at a pinned version.
windows-deps:
	@scripts/install-deps windows
	@scripts/build-windows-libpng
	@scripts/fetch-windows-httplib

# The Windows program: build/windows/quoteview.exe and the zip beside it.
windows: windows-deps
	@$(WINDOWS_CONFIGURE) >/dev/null
	@cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target quoteview_zip
	@echo "windows: $(WINDOWS_BUILD)/quoteview.exe"
	@echo "windows: $$(ls $(WINDOWS_BUILD)/quoteview-*-windows-x86_64.zip)"

# The layer rule is checked first; then the tests run in a sanitizer build,
# headless, with leak checking on; then the Windows builds of the suites run
# under Wine, all in one Wine session.
test: deps windows-deps
	@scripts/check-layers
	@cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUOTEVIEW_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j$(JOBS)
	@cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --output-on-failure -j$(JOBS) --timeout 120
	@# The threaded tests once more under ThreadSanitizer, which cannot share a
	@# build with the address sanitizer; only the suites holding them are built.
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUOTEVIEW_TSAN=ON >/dev/null
	@cmake --build $(TSAN_BUILD) -j$(JOBS) --target threaded_tests
	@cd $(TSAN_BUILD) && QT_QPA_PLATFORM=offscreen \
		ctest --output-on-failure -j$(JOBS) --timeout 120 -L threaded
	@# The Windows suites find the Linux quote-service of the test build.
	@$(WINDOWS_CONFIGURE) -DQUOTEVIEW_QUOTE_SERVICE=$(CURDIR)/$(TEST_BUILD)/service/quote-service \
		>/dev/null
	@cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target windows_tests
	@cd $(WINDOWS_BUILD) && ../../scripts/wine-env --command \
		ctest --output-on-failure -j$(JOBS) --timeout 300

bench: deps
	@cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUOTEVIEW_BUILD_BENCH=ON >/dev/null
	@cmake --build $(RELEASE_BUILD) -j$(JOBS)
	@scripts/run-benchmarks $(RELEASE_BUILD)/bench

# Every fuzz target for FUZZ_SECONDS on its seed corpus, built with clang.
fuzz:
	@scripts/install-deps fuzz
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DQUOTEVIEW_FUZZ=ON -DQUOTEVIEW_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets
	@scripts/run-fuzzers $(FUZZ_BUILD)/fuzz $(FUZZ_SECONDS)

run: deps
	@cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE_BUILD) -j$(JOBS) --target quoteview quote-service
	@scripts/run-viewer $(RELEASE_BUILD)

# The Debian package from the Release build, checked before it is handed over.
package: deps
	@cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(RELEASE_BUILD) -j$(JOBS) --target quoteview quote-service quoteview_package_files
	@rm -rf $(RELEASE_BUILD)/packages
	@cd $(RELEASE_BUILD) && cpack -G DEB -B packages >/dev/null
	@deb=$$(basename $(RELEASE_BUILD)/packages/quoteview_*.deb) && \
		mv $(RELEASE_BUILD)/packages/$$deb build/$$deb && \
		scripts/check-package --deb build/$$deb && echo "package: build/$$deb"

clean:
	rm -rf build
