find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
ir_add_bench(bench_ui SOURCES ui_bench.cpp LIBS irui irstubs Qt6::Test)
