# Shortcuts; the scripts install what is missing and do the work.
.PHONY: run test test-m32 windows test-windows build bench fuzz package
run:
	scripts/run-main.sh
test:
	scripts/run-tests.sh
test-m32:
	scripts/run-tests-m32.sh
windows:
	scripts/run-tests-windows.sh --build-only
test-windows:
	scripts/run-tests-windows.sh
build:
	cmake -S . -B build -G Ninja && cmake --build build
# The Debian package, build/glitch-pack_<version>_<arch>.deb: apt install ./build/glitch-pack_*.deb
package: build
	cmake --build build --target package
bench: build
	cmake --build build --target bench
fuzz:
	scripts/fuzz-long.sh
