# glaxen: the whole set-up on a fresh Debian 12 machine.
#   make run    installs what is missing, builds a Release build, runs the show
#   make test   the same set-up, then every test
#   make bench  the frame benchmark        make assets  regenerate the pictures and music
#   make fuzz   fuzz the picture decoder   make format  clang-format the sources
#   make package  the Debian package       make package-test  build it and check it

# Debian packages the build, the tests and the asset tools need.
PACKAGES := cmake ninja-build g++ clang libclang-rt-14-dev pkg-config \
            libgtest-dev libbenchmark-dev \
            libsdl2-dev libvorbis-dev libkissfft-dev libpng-dev \
            libcairo2-dev libfreetype-dev fonts-dejavu-core \
            xvfb xdotool imagemagick evilwm x11-utils desktop-file-utils \
            dpkg-dev groff-base

RELEASE  := build/release
SANITIZE := build/sanitize
TSAN     := build/tsan
FUZZ     := build/fuzz
TOOLS    := build/tools
PACKAGE  := build/package
FUZZ_SECONDS ?= 120
JOBS     ?= $(shell nproc)

.PHONY: run test unit sanitize tsan bench assets fuzz format deps release clean package package-test

run: release
	cd $(RELEASE)/run && ./glaxen

test: deps
	$(MAKE) unit
	$(MAKE) sanitize
	$(MAKE) tsan
	$(MAKE) fuzz FUZZ_SECONDS=30
	$(MAKE) package-test

# Release build with g++ and the unit tests, warnings as errors.
unit: release
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer, built with clang,
# whose undefined-behaviour checks include float-cast-overflow. The end-to-end tests run in the
# release build: under Xvfb the desktop libraries' own leaks would drown the show's.
sanitize: deps
	CXX=clang++ cmake -S . -B $(SANITIZE) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DGLAXEN_SANITIZE=ON -DGLAXEN_WERROR=ON -DGLAXEN_E2E=OFF
	cmake --build $(SANITIZE) -j $(JOBS)
	ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

# The audio layer's tests under ThreadSanitizer, built with clang: the show thread's spectrum
# reads against SDL's audio thread.
tsan: deps
	CXX=clang++ cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLAXEN_WERROR=ON \
	      "-DCMAKE_CXX_FLAGS=-fsanitize=thread -O1" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(TSAN) -j $(JOBS) --target glaxen_audio_tests
	ctest --test-dir $(TSAN) -L audio --output-on-failure -j $(JOBS)

release: deps
	CXX=g++ cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DGLAXEN_WERROR=ON -DGLAXEN_BENCH=ON
	cmake --build $(RELEASE) -j $(JOBS)

bench: release
	$(RELEASE)/bench/frame_bench
	bench/startup.sh $(RELEASE)/run/glaxen $(RELEASE)/bench/startup_probe
	$(RELEASE)/bench/audio/audio_latency
	bench/render_speed.sh $(RELEASE)/run/glaxen-render

# The Debian package: installed under /usr, its dependencies read off the binaries.
package: deps
	CXX=g++ cmake -S . -B $(PACKAGE) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DCMAKE_INSTALL_PREFIX=/usr -DGLAXEN_TESTS=OFF
	cmake --build $(PACKAGE) -j $(JOBS)
	cd $(PACKAGE) && cpack

# The package unpacked into a scratch root and checked as a user would get it.
package-test: package
	tests/package/package_test.sh $(PACKAGE)/glaxen_*.deb

# The picture decoder under libFuzzer for FUZZ_SECONDS, seeded with the font picture (600 x 19).
fuzz: deps
	CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DGLAXEN_FUZZ=ON -DGLAXEN_TESTS=OFF
	cmake --build $(FUZZ) -j $(JOBS) --target decode_pcx_fuzzer
	mkdir -p $(FUZZ)/corpus
	{ printf '\130\002\023\000'; cat assets/font.pcx; } > $(FUZZ)/corpus/font.seed
	$(FUZZ)/decode_pcx_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=8192 \
	    -artifact_prefix=$(FUZZ)/ $(FUZZ)/corpus

# Regenerates the pictures in assets/ with their previews in docs/, and the music, byte for byte
# (the music with g++: another compiler's floating point gives another, equally good file).
assets: deps
	CXX=g++ cmake -S . -B $(TOOLS) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DGLAXEN_TOOLS=ON -DGLAXEN_TESTS=OFF
	cmake --build $(TOOLS) -j $(JOBS) --target picture_generator music_generator music_report
	$(TOOLS)/tools/picture_generator/picture_generator assets --png docs
	$(TOOLS)/tools/music/music_generator assets/qx-331b_051224.ogg
	$(TOOLS)/tools/music_report/music_report assets/qx-331b_051224.ogg

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Installs the missing packages: directly as root, through sudo otherwise.
deps:
	@missing=$$(for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	    echo "Installing:" $$missing; \
	    if [ "$$(id -u)" = 0 ]; then sudo=; \
	    elif command -v sudo >/dev/null; then sudo=sudo; \
	    else echo "These Debian packages are missing; install them as root:" $$missing >&2; exit 1; fi; \
	    $$sudo apt-get update -q && \
	    $$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $$missing; \
	fi

clean:
	rm -rf build
