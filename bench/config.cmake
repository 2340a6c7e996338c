ir_add_bench(bench_config SOURCES config_bench.cpp LIBS irconfig)
