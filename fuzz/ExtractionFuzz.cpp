// Every option over arbitrary file bytes and tags must give exactly what the literal rules give
// on the decoded text: the same values, in the same order, and the same failures, whatever the
// size of the pieces the file is read in and whatever files the extractor read before.

#include "engine/FileExtractor.h"
#include "engine/Oracle.h"
#include "FuzzInput.h"
#include "textio/TextEncoding.h"

using namespace tagmill;
using namespace tagmill::fuzz;

namespace {

struct Collected : FileSink {
    QStringList found;
    int failures = 0;
    bool proceed() override { return true; }
    void values(ValueBatch&& batch) override {
        for (std::size_t i = 0; i < batch.count(); ++i)
            // Not QString::fromUtf8, which drops a U+FEFF that starts a value.
            found.append(decodeUtf8(
                QByteArrayView(batch.value(i).data(), qsizetype(batch.value(i).size()))));
    }
    void failure(const QString&) override { ++failures; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const auto option = ExtractionOption(1 + input.number(4));
    QStringList tags;
    // Up to six tags: more than four are found through the tree of patterns.
    for (int count = 1 + input.number(6); count > 0; --count)
        tags.append(input.text(18));
    const auto pieceSize = std::size_t(1 + input.number(64));
    const QByteArray bytes = input.rest();

    // An extractor goes on from one file to the next, as a worker's does: first the bytes' first
    // half, then all of them.
    const QByteArray files[] = {bytes.first(bytes.size() / 2), bytes};
    test::OracleResult expected[2];
    for (int f = 0; f < 2; ++f) {
        const TextEncoding encoding = encodingFromMark(files[f], files[f].size());
        const QString text =
            decodeText(QByteArrayView(files[f]).sliced(markLength(encoding)), encoding);
        expected[f] = test::oracleExtract(option, text, tags);
    }

    // Read whole, and in pieces of 1 to 64 bytes that split patterns, values and characters.
    for (std::size_t size : {FileExtractor::DefaultPieceSize, pieceSize}) {
        FileExtractor extractor(option, tags, size);
        for (int f = 0; f < 2; ++f) {
            Collected fast;
            extractor.extract(files[f], fast);
            expect(fast.found == expected[f].values, "the values of the literal rules");
            expect(fast.failures == expected[f].failures, "the failures of the literal rules");
        }
    }
    return 0;
}
