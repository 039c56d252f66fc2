# The two ways in: `make run` and `make test`. Both install what is missing first.
BUILD      ?= build
TEST_BUILD ?= build-test
DEB_BUILD  ?= build-deb
JOBS       ?= $(shell nproc)
# Where `make install` puts the program; the default needs no root rights.
PREFIX     ?= $(HOME)/.local

.PHONY: deps build run test bench install uninstall deb fuzz clean

deps:
	bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	bash scripts/run.sh $(BUILD)/bin/vantrel

test: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_SANITIZE=ON -DVANTREL_BENCH=OFF
	cmake --build $(TEST_BUILD) -j $(JOBS)
	bash scripts/run-tests.sh $(TEST_BUILD)

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_TESTS=OFF
	cmake --build build-bench -j $(JOBS)
	bash scripts/run-bench.sh build-bench

install: build
	cmake --install $(BUILD) --prefix "$(PREFIX)"
	bash scripts/refresh-desktop-caches.sh "$(PREFIX)"

uninstall:
	bash scripts/uninstall.sh $(BUILD) "$(PREFIX)"

# A .deb for /usr, built in its own folder so the prefix and build type of
# the other builds stay as they are.
# Debian's hardening flags (stack protector, fortified functions, read-only
# relocations, immediate binding) as a Debian package build passes them,
# given on every configure so an existing build folder takes them too;
# CMake reads no CPPFLAGS, so those go in front of the compiler's flags.
deb: deps
	eval "$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)" && \
	cmake -S . -B $(DEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF \
		-DCMAKE_C_FLAGS="$$CPPFLAGS $$CFLAGS" -DCMAKE_CXX_FLAGS="$$CPPFLAGS $$CXXFLAGS" \
		-DCMAKE_EXE_LINKER_FLAGS="$$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$$LDFLAGS" -DCMAKE_MODULE_LINKER_FLAGS="$$LDFLAGS"
	cmake --build $(DEB_BUILD) -j $(JOBS)
	cd $(DEB_BUILD) && cpack -G DEB
	cp $(DEB_BUILD)/vantrel_*.deb .

# libFuzzer on the INI parser (clang); not part of `make test`. Runs for
# FUZZ_SECONDS; the corpus it grows stays in build-fuzz/corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	mkdir -p build-fuzz/corpus
	build-fuzz/ini_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -dict=fuzz/ini.dict build-fuzz/corpus fuzz/seeds

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(DEB_BUILD) build-bench build-fuzz
