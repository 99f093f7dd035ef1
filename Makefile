# glaxen: the whole set-up on a fresh Debian 12 machine.
#   make run      installs what is missing, builds a Release build, runs the show
#   make test     the same set-up, then every test (Linux, and Windows under Wine)
#   make windows  the Windows builds, 32- and 64-bit     make bench  the benchmarks
#   make bench-video  the README's video commands, measured
#   make assets   regenerate the pictures and music      make fuzz   fuzz the picture decoder
#   make format   clang-format the sources               make package  the Debian package
#   make package-windows  the Windows zip
#   make web      the show as a web page in build/web     make web-run  serves it on 127.0.0.1
#   make package-web  the page as a tarball for any static web host   make bench-web  its figures

# Debian packages: what building and running the show needs; what the tests, benchmarks and
# package add; what the Windows builds add (the cross compilers, Wine, and the -dev packages
# whose versions the libraries are built from); what the web page adds (emscripten, and the
# three engines its tests drive: Chromium, Firefox ESR, WebKitGTK's MiniBrowser through its
# WebDriver); what the asset generators add.
PACKAGES_RUN     := cmake ninja-build g++ pkg-config libsdl2-dev libvorbis-dev libkissfft-dev \
                    libpng-dev libdeflate-dev
PACKAGES_TEST    := clang libclang-rt-14-dev libgtest-dev libbenchmark-dev \
                    xvfb xdotool imagemagick evilwm x11-utils weston desktop-file-utils dpkg-dev \
                    groff-base ffmpeg
PACKAGES_WINDOWS := g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix dpkg-dev \
                    libgtest-dev libbenchmark-dev wine wine64 wine32:i386 \
                    pulseaudio pulseaudio-utils
PACKAGES_WEB     := emscripten chromium firefox-esr webkit2gtk-driver nodejs dpkg-dev \
                    libvorbis-dev libkissfft-dev
PACKAGES_ASSETS  := libcairo2-dev libfreetype-dev fonts-dejavu-core

RELEASE  := build/release
SANITIZE := build/sanitize
TSAN     := build/tsan
FUZZ     := build/fuzz
TOOLS    := build/tools
PACKAGE  := build/package
WINDOWS  := build/windows
WEB      := build/web
WEB_PORT ?= 8000
FUZZ_SECONDS ?= 120
MUSIC    := assets/$(shell sed -n 's/.*kMusicFile = "\(.*\)".*/\1/p' show/show_main.h)
JOBS     ?= $(shell nproc)

.PHONY: run test unit sanitize tsan bench bench-video assets fuzz format release clean package \
        package-test deps-run deps-test deps-windows deps-assets windows windows-test \
        bench-windows package-windows package-windows-test deps-web web web-run web-test \
        package-web bench-web

run: deps-run
	$(MAKE) release TESTS=OFF
	cd $(RELEASE)/run && ./glaxen

test: deps-test deps-windows deps-web
	$(MAKE) unit
	$(MAKE) sanitize
	$(MAKE) tsan
	$(MAKE) fuzz FUZZ_SECONDS=30
	$(MAKE) package-test
	$(MAKE) windows-test
	$(MAKE) web-test

# Release build with g++ and the unit tests, warnings as errors.
unit: deps-test
	$(MAKE) release TESTS=ON
	ctest --test-dir $(RELEASE) --output-on-failure -j $(JOBS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer, built with clang,
# whose undefined-behaviour checks include float-cast-overflow. The end-to-end tests run in the
# release build: under Xvfb the desktop libraries' own leaks would drown the show's.
sanitize: deps-test
	CXX=clang++ cmake -S . -B $(SANITIZE) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	      -DGLAXEN_SANITIZE=ON -DGLAXEN_WERROR=ON -DGLAXEN_E2E=OFF
	cmake --build $(SANITIZE) -j $(JOBS)
	ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

# The audio layer's tests under ThreadSanitizer, built with clang: the show thread's spectrum
# reads against SDL's audio thread.
tsan: deps-test
	CXX=clang++ cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DGLAXEN_WERROR=ON \
	      "-DCMAKE_CXX_FLAGS=-fsanitize=thread -O1" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(TSAN) -j $(JOBS) --target glaxen_audio_tests
	ctest --test-dir $(TSAN) -L audio --output-on-failure -j $(JOBS)

# The show and glaxen-render; with TESTS=ON also the tests and benchmarks.
TESTS ?= OFF
release: deps-run
	CXX=g++ cmake -S . -B $(RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DGLAXEN_WERROR=ON -DGLAXEN_TESTS=$(TESTS) -DGLAXEN_BENCH=$(TESTS)
	cmake --build $(RELEASE) -j $(JOBS)

bench: deps-test
	$(MAKE) release TESTS=ON
	$(RELEASE)/bench/frame_bench
	bench/startup.sh $(RELEASE)/run/glaxen $(RELEASE)/bench/startup_probe
	bench/idle_cpu.sh $(RELEASE)/run/glaxen
	$(RELEASE)/bench/audio/audio_latency
	bench/render_speed.sh $(RELEASE)/run/glaxen-render

# The README's video presets: each over the whole show, rendered, encoded, timed, sized
# and compared with the rendered frames (slow: minutes per preset).
bench-video: deps-test
	$(MAKE) release TESTS=OFF
	bench/video_bench.sh $(RELEASE)/run/glaxen-render

# The Debian package: installed under /usr, its dependencies read off the binaries.
package: deps-test
	CXX=g++ cmake -S . -B $(PACKAGE) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DCMAKE_INSTALL_PREFIX=/usr -DGLAXEN_TESTS=OFF
	cmake --build $(PACKAGE) -j $(JOBS)
	cd $(PACKAGE) && cpack

# The package unpacked into a scratch root and checked as a user would get it.
package-test: package
	tests/package/package_test.sh $(PACKAGE)/glaxen_*.deb

# The picture decoder under libFuzzer for FUZZ_SECONDS, seeded with the font picture (600 x 19).
fuzz: deps-test
	CXX=clang++ cmake -S . -B $(FUZZ) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DGLAXEN_FUZZ=ON -DGLAXEN_TESTS=OFF
	cmake --build $(FUZZ) -j $(JOBS) --target decode_pcx_fuzzer
	mkdir -p $(FUZZ)/corpus
	{ printf '\130\002\023\000'; cat assets/font.pcx; } > $(FUZZ)/corpus/font.seed
	$(FUZZ)/decode_pcx_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=8192 \
	    -artifact_prefix=$(FUZZ)/ $(FUZZ)/corpus

# Regenerates the pictures in assets/ with their previews in docs/, and the music, byte for byte
# (the music with g++: another compiler's floating point gives another, equally good file).
assets: deps-run deps-assets
	CXX=g++ cmake -S . -B $(TOOLS) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	      -DGLAXEN_TOOLS=ON -DGLAXEN_TESTS=OFF
	cmake --build $(TOOLS) -j $(JOBS) --target picture_generator music_generator music_report
	$(TOOLS)/tools/picture_generator/picture_generator assets --png docs
	$(TOOLS)/tools/music/music_generator $(MUSIC)
	$(TOOLS)/tools/music_report/music_report $(MUSIC)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# ---------------------------------------------------------------- Windows

# The Windows build of ARCH (i686 or x86_64): the libraries from Debian's sources first (built
# once per machine, kept in ~/.cache/glaxen), then the show's own code and its tests.
windows-build-%: deps-windows
	prefix=$$(tools/libraries/build_libraries.sh mingw-$* cmake/toolchains/mingw-$*.cmake) && \
	cmake -S . -B $(WINDOWS)-$* -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLAXEN_WERROR=ON \
	      -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/toolchains/mingw-$*.cmake) \
	      -DGLAXEN_LIBRARY_PREFIX=$$prefix -DGLAXEN_NATIVE_BUILD=$(abspath $(RELEASE)) \
	      -DGLAXEN_BENCH=ON
	cmake --build $(WINDOWS)-$* -j $(JOBS)

windows: windows-build-i686 windows-build-x86_64

# The Windows tests under Wine, on the 32-bit build where this machine runs 32-bit programs,
# else on the 64-bit one; the native build runs the same show beside it.
windows-test: deps-windows
	$(MAKE) release TESTS=ON
	arch=$$(tools/windows/wine_arch.sh) && \
	if [ $$arch = i686 ]; then echo "Windows tests: the 32-bit build, under Wine"; \
	else echo "Windows tests: the 64-bit build, under Wine (Wine here runs no 32-bit programs)"; fi && \
	$(MAKE) windows-build-$$arch && \
	ctest --test-dir $(WINDOWS)-$$arch --output-on-failure -j $(JOBS) && \
	if [ $$arch = i686 ]; then $(MAKE) package-windows-test; fi

# The Windows package: glaxen.exe (32-bit), the music and a README, in a zip to extract.
package-windows: windows-build-i686
	cmake --build $(WINDOWS)-i686 --target package_zip
	mkdir -p $(PACKAGE)
	cp $(WINDOWS)-i686/package/glaxen-*-windows.zip $(PACKAGE)/

package-windows-test: package-windows
	tests/package/windows_package_test.sh $(PACKAGE)/glaxen-*-windows.zip i686-w64-mingw32-objdump

# One settled frame of the Windows builds under Wine against the native build's, the 32-bit
# program's start-up and frames per second under Wine, and its audio layer's latency.
bench-windows: windows
	$(MAKE) release TESTS=ON
	for arch in i686 x86_64; do echo "== $$arch under Wine"; \
	    tools/windows/wine_run.sh $(WINDOWS)-$$arch/bench/frame_bench.exe; done
	echo "== native"; $(RELEASE)/bench/frame_bench
	bench/startup_wine.sh $(WINDOWS)-i686/run/glaxen.exe $(RELEASE)/bench/startup_probe
	bench/audio_latency_wine.sh $(WINDOWS)-i686/bench/audio/audio_latency.exe

# ---------------------------------------------------------------- the web page

# The page in $(WEB): the libraries from Debian's sources for emscripten first (as for Windows),
# then the show. emscripten's tools need Debian's Node modules.
export NODE_PATH := /usr/share/nodejs
web: deps-run deps-web
	prefix=$$(tools/libraries/build_libraries.sh web cmake/toolchains/emscripten.cmake \
	          libkissfft-dev libogg-dev libvorbis-dev) && \
	cmake -S . -B $(WEB)-cmake -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLAXEN_WERROR=ON \
	      -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/toolchains/emscripten.cmake) \
	      -DGLAXEN_LIBRARY_PREFIX=$$prefix -DGLAXEN_TESTS=OFF -DGLAXEN_RUN_DIR=$(abspath $(WEB))
	cmake --build $(WEB)-cmake -j $(JOBS)

web-run: web
	@echo "glaxen: http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C stops the server)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB)

package-web: web
	cmake --build $(WEB)-cmake --target package_web
	mkdir -p $(PACKAGE)
	cp $(WEB)-cmake/package/glaxen-*-web.tar.gz $(PACKAGE)/

# The page's sizes, start-up, frame rate and compute time, and its spectrum's delay, in Chromium.
bench-web: deps-test web
	$(MAKE) release TESTS=ON
	cd tests/web && npm ci --no-audit --no-fund --silent
	GLAXEN_WEB=$(abspath $(WEB)) GLAXEN_NATIVE=$(abspath $(RELEASE)) node bench/web_bench.mjs

# The page in headless Chromium, Firefox ESR and WebKitGTK (GLAXEN_WEB_ENGINES=... picks);
# the native build gives the frames and the music it must match.
web-test: deps-test web
	$(MAKE) release TESTS=ON
	cd tests/web && npm ci --no-audit --no-fund --silent
	for f in tests/web/*.test.mjs; do \
	    GLAXEN_WEB=$(abspath $(WEB)) GLAXEN_NATIVE=$(abspath $(RELEASE)) node --test $$f || exit 1; \
	done

# ---------------------------------------------------------------- Debian packages

deps-run:
	@tools/install_packages.sh $(PACKAGES_RUN)
deps-test: deps-run
	@tools/install_packages.sh $(PACKAGES_TEST)
deps-windows:
	@tools/install_packages.sh --no-recommends $(PACKAGES_WINDOWS)
deps-web:
	@tools/install_packages.sh --no-recommends $(PACKAGES_WEB)
	@command -v npm >/dev/null || tools/install_packages.sh npm  # some Node packages carry their own
deps-assets:
	@tools/install_packages.sh $(PACKAGES_ASSETS)

clean:
	rm -rf build
