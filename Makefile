# make run   - installs what is missing, builds, starts the program
# make test  - installs what is missing, builds, runs every test
# make test-sanitize - the tests again under AddressSanitizer and UBSan

# Every Debian package the build, the tests and the program need: one list.
PACKAGES := cmake ninja-build g++ make pkg-config \
	qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libsqlite3-dev libfontconfig-dev \
	libgtest-dev libgmock-dev libbenchmark-dev mdbtools-dev \
	fonts-ipafont-gothic python3 python3-ezdxf desktop-file-utils poppler-utils

BUILD_DIR ?= build
SAN_DIR ?= build-sanitize
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: run test test-sanitize build deps clean

deps:
	@missing=$$(for p in $(PACKAGES); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/app/tolvane

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_DIR) -G Ninja -DTOLVANE_SANITIZE=ON -DTOLVANE_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Debug
	cmake --build $(SAN_DIR) -j $(JOBS)
	cd $(SAN_DIR) && QT_QPA_PLATFORM=offscreen \
		ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR) $(SAN_DIR)
