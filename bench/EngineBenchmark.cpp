// Throughput of the pieces of a run on one in-memory catalogue: the tag search, each option,
// and filling the results table.

#include "CatalogueWriter.h"
#include "engine/FileExtractor.h"
#include "engine/PatternStarts.h"
#include "engine/ResultsTable.h"
#include "engine/TextSearch.h"

#include <benchmark/benchmark.h>

using namespace tagmill;

namespace {

// One 8 MB catalogue, made once.
const QByteArray& catalogue() {
    static const QByteArray bytes = QByteArray::fromStdString(bench::Writer(1).catalogue(8000000));
    return bytes;
}

struct CountingSink : FileSink {
    bool proceed() override { return true; }
    std::size_t found = 0;
    void values(ValueBatch&& b) override { found += b.count(); }
    void failure(const QString&) override {}
};

void findPriceTag(benchmark::State& state) {
    const std::string_view text(catalogue().constData(), std::size_t(catalogue().size()));
    for (auto _ : state) {
        std::size_t hits = 0;
        const detail::PatternStarts<char> starts({"<price"});
        for (std::size_t at = starts.next(text, 0); at < text.size();
             at = starts.next(text, at + 1))
            ++hits;
        benchmark::DoNotOptimize(hits);
    }
    state.SetBytesProcessed(state.iterations() * catalogue().size());
}
BENCHMARK(findPriceTag);

void extractOption(benchmark::State& state) {
    const auto option = ExtractionOption(state.range(0));
    FileExtractor extractor(option, {"price"});
    std::size_t values = 0;
    for (auto _ : state) {
        CountingSink sink;
        extractor.extract(catalogue(), sink);
        values = sink.found;
    }
    state.SetBytesProcessed(state.iterations() * catalogue().size());
    state.counters["values"] = double(values);
}
BENCHMARK(extractOption)->DenseRange(1, 4);

void fillResultsTable(benchmark::State& state) {
    ValueBatch batch;
    for (int i = 0; i < 10000; ++i)
        batch.append("123.45");
    for (auto _ : state) {
        ResultsTable table;
        table.resetColumns(true);
        for (int i = 0; i < 100; ++i)
            table.appendValues("/corpus/catalogue-00001.xml", batch);
        benchmark::DoNotOptimize(table.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(fillResultsTable);

} // namespace
