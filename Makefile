# make test  - installs what is missing, then runs every test (native and under Wine)
# make demo  - runs the program against the bundled sample site
# make fuzz  - runs the fuzz targets for longer
# make bench - prints the benchmark figures
.PHONY: test demo fuzz bench clean

test:
	@scripts/test.sh

demo:
	@scripts/demo.sh

fuzz:
	@scripts/fuzz.sh

bench:
	@scripts/bench.sh

clean:
	rm -rf build
