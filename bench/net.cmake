pkg_check_modules(BENCH_CURL REQUIRED IMPORTED_TARGET libcurl)
ir_add_bench(bench_net SOURCES net_bench.cpp LIBS irnet irstubs PkgConfig::BENCH_CURL)
