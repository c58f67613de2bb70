#include "engine/ValueOrder.h"

#include "textio/TextEncoding.h"

namespace tagmill {

namespace {

constexpr std::size_t BatchBytes = 256 * 1024;

} // namespace

ValueOrder::ValueOrder(FileSink& sink, HeldValues& held, ValueBatch& batch)
    : m_sink(sink), m_batch(batch), m_held(held) {
    m_held.clear();
    m_batch.clear();
}

ValueOrder::~ValueOrder() {
    flush();
}

void ValueOrder::undecided(std::size_t stream, std::string_view bytes) {
    m_anyUndecided = true;
    m_held.add(stream, HeldValues::Kind::Undecided, bytes);
}

void ValueOrder::failure(std::size_t stream, const QString& description) {
    if (stream == 0 && m_held.empty(0)) {
        flush();
        m_sink.failure(description);
    } else {
        m_held.add(stream, HeldValues::Kind::Failure, description.toUtf8().toStdString());
    }
}

void ValueOrder::finish(const std::function<bool()>& undecidedAreUtf8) {
    const bool asTheyStand = !m_anyUndecided || undecidedAreUtf8();
    for (std::size_t stream = 0; stream < m_held.streamCount(); ++stream)
        m_held.drain(
            stream,
            [&](HeldValues::Kind kind, std::string_view bytes) {
                switch (kind) {
                case HeldValues::Kind::Value:
                    append(bytes);
                    break;
                case HeldValues::Kind::Undecided:
                    if (asTheyStand)
                        append(bytes);
                    else
                        append(
                            decodeWindows1252(QByteArrayView(bytes.data(), qsizetype(bytes.size())))
                                .toUtf8()
                                .toStdString());
                    break;
                case HeldValues::Kind::Failure:
                    flush();
                    m_sink.failure(QString::fromUtf8(bytes.data(), qsizetype(bytes.size())));
                    break;
                }
            },
            [&](ValueBatch& values) {
                flush();
                m_sink.values(std::move(values));
            },
            asTheyStand);
    flush();
}

void ValueOrder::append(std::string_view utf8) {
    m_batch.append(utf8);
    if (m_batch.byteSize() >= BatchBytes)
        flush();
}

void ValueOrder::flush() {
    if (m_batch.empty())
        return;
    m_sink.values(std::move(m_batch));
    m_batch.clear();
}

} // namespace tagmill
