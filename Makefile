# The two commands of the quick start, plus benchmarks. Each installs what is
# missing first, so they work on a fresh Debian 12 machine.
JOBS ?= $(shell nproc)
TEST_BUILD := build/test
RELEASE_BUILD := build/release

.PHONY: deps test bench run package clean

deps:
	@scripts/install-deps

# Tests run in a sanitizer build, headless, with leak checking on.
test: deps
	@cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUOTEVIEW_SANITIZE=ON >/dev/null
	@cmake --build $(TEST_BUILD) -j$(JOBS)
	@cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		ctest --output-on-failure -j$(JOBS) --timeout 120

bench: deps
	@cmake -S . -B $(RELEASE_BUILD) -DCMAKE_BUILD_TYPE=Release -DQUOTEVIEW_BUILD_BENCH=ON >/dev/null
	@cmake --build $(RELEASE_BUILD) -j$(JOBS)
	@scripts/run-benchmarks $(RELEASE_BUILD)/bench

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
