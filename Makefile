# Shortcuts; the scripts install what is missing and do the work.
.PHONY: run test build
run:
	scripts/run-main.sh
test:
	scripts/run-tests.sh
build:
	cmake -S . -B build -G Ninja && cmake --build build
