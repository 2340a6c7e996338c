ir_add_bench(bench_net SOURCES net_bench.cpp LIBS irnet irstubs)
