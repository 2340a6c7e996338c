ir_add_bench(bench_events SOURCES events_bench.cpp LIBS irevents irstubs)
