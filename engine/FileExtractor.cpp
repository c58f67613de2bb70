#include "engine/FileExtractor.h"

#include "engine/StreamSearches.h"
#include "engine/ValueOrder.h"
#include "textio/ByteSource.h"
#include "textio/FileError.h"
#include "textio/StreamDecoder.h"
#include "textio/TextEncoding.h"
#include "textio/Utf8Check.h"

namespace tagmill {

namespace {

constexpr qsizetype LongestMark = 4;
constexpr std::uint64_t LineCarryLimit = 16 * 1024 * 1024;

QByteArrayView viewOf(std::string_view bytes) {
    return {bytes.data(), qsizetype(bytes.size())};
}

std::string toUtf8(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return {utf8.constData(), std::size_t(utf8.size())};
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

// Empties the bytes and keeps their memory for the next piece or file. QByteArray::clear() would
// give the memory back, and a file longer than a piece would then grow its buffer anew, copying
// what it holds each time.
void emptyKeepingMemory(QByteArray& bytes) {
    bytes.resize(0);
}

// Appends up to `size` bytes from the source; how many came (0 at its end). QByteArray leaves
// the new room uncleared and keeps its capacity when it shrinks.
std::size_t readPiece(ByteSource& source, QByteArray& into, std::size_t size) {
    const qsizetype before = into.size();
    into.resize(before + qsizetype(size));
    const std::size_t got = source.read(into.data() + before, size);
    into.resize(before + qsizetype(got));
    return got;
}

// Whether a mark-less file is UTF-8 throughout. Its bytes are only checked once a value needs
// it, one that is not ASCII: most files give ASCII values only, and checking every byte of a
// large file costs a good part of searching it. The bytes read before then are checked where
// the search still holds them, and read again before that.
class Utf8Watch {
public:
    /// `held` is the text the search holds, the file's bytes from `heldFrom` to the last read.
    Utf8Watch(ByteSource& source, std::size_t pieceSize, const QByteArray& held,
              const std::uint64_t& heldFrom)
        : m_source(source), m_pieceSize(pieceSize), m_held(held), m_heldFrom(heldFrom) {}

    /// Takes the next bytes read; atEnd for the last.
    void read(std::string_view bytes, bool atEnd) {
        m_read += bytes.size();
        m_ended = atEnd;
        if (m_watching)
            m_validator.add(bytes, atEnd);
    }

    enum class Verdict { Utf8, NotUtf8, Open };

    /// What the bytes read so far say; starts the watch when first asked.
    Verdict verdict() {
        if (!m_watching)
            catchUp();
        if (!m_validator.valid())
            return Verdict::NotUtf8;
        return m_ended ? Verdict::Utf8 : Verdict::Open;
    }

private:
    void catchUp() {
        m_watching = true;
        std::string piece;
        for (std::uint64_t offset = 0; offset < m_heldFrom && m_validator.valid();) {
            piece.resize(std::size_t(std::min<std::uint64_t>(m_pieceSize, m_heldFrom - offset)));
            if (m_source.readAt(offset, piece.data(), piece.size()) != piece.size())
                throw FileError(QStringLiteral("The file changed while it was read"));
            m_validator.add(piece, false);
            offset += piece.size();
        }
        m_validator.add(viewOf(m_held), m_ended);
    }

    ByteSource& m_source;
    std::size_t m_pieceSize;
    const QByteArray& m_held;
    const std::uint64_t& m_heldFrom;
    Utf8Validator m_validator;
    std::uint64_t m_read = 0;
    bool m_ended = false;
    bool m_watching = false;
};

// Byte values of a UTF-8 or Windows-1252 file. ASCII is the same in both; other bytes of a
// mark-less file are UTF-8 only if the whole file is, which is known once it has been read or
// as soon as bytes that are no UTF-8 turn up.
class ByteOut {
public:
    ByteOut(ValueOrder& order, TextEncoding encoding, Utf8Watch& utf8, ByteSource& source)
        : m_order(order), m_encoding(encoding), m_utf8(utf8), m_source(source) {}

    // Always inline, as the rest of the path of every value out of the search is.
    [[gnu::always_inline]] void value(std::size_t stream, std::string_view bytes) {
        if (isAscii(bytes))
            m_order.value(stream, bytes);
        else
            nonAscii(stream, bytes);
    }
    // A value whose start is no longer held: read again from the file.
    void value(std::size_t stream, std::uint64_t from, std::uint64_t base, std::string_view rest) {
        std::string whole(std::size_t(base - from), '\0');
        const std::uint64_t offset = from + std::uint64_t(markLength(m_encoding));
        if (m_source.readAt(offset, whole.data(), whole.size()) != whole.size())
            throw FileError(QStringLiteral("The file changed while it was read"));
        whole.append(rest);
        value(stream, whole);
    }
    void failure(std::size_t stream, const QString& description) {
        m_order.failure(stream, description);
    }

private:
    // Out of line: most values are ASCII, and the search they are found in runs better without
    // this part in its midst.
    [[gnu::noinline]] void nonAscii(std::size_t stream, std::string_view bytes) {
        if (m_encoding == TextEncoding::Utf8)
            m_order.value(stream, isValidUtf8(bytes) ? std::string(bytes)
                                                     : toUtf8(decodeUtf8(viewOf(bytes))));
        else
            switch (m_utf8.verdict()) {
            case Utf8Watch::Verdict::Utf8:
                m_order.value(stream, bytes);
                break;
            case Utf8Watch::Verdict::NotUtf8:
                m_order.value(stream, toUtf8(decodeWindows1252(viewOf(bytes))));
                break;
            case Utf8Watch::Verdict::Open:
                m_order.undecided(stream, bytes);
                break;
            }
    }

    ValueOrder& m_order;
    TextEncoding m_encoding;
    Utf8Watch& m_utf8;
    ByteSource& m_source;
};

class WideOut {
public:
    explicit WideOut(ValueOrder& order) : m_order(order) {}

    void value(std::size_t stream, std::u16string_view text) {
        const QByteArray utf8 = QStringView(text.data(), qsizetype(text.size())).toUtf8();
        m_order.value(stream, {utf8.constData(), std::size_t(utf8.size())});
    }
    void failure(std::size_t stream, const QString& description) {
        m_order.failure(stream, description);
    }

private:
    ValueOrder& m_order;
};

// Drops the text the search no longer needs.
template <typename Search>
void keepNeeded(QByteArray& text, std::uint64_t& base, const Search& search) {
    const std::uint64_t keep = std::max(search.needed(), base);
    text.remove(0, qsizetype(keep - base));
    base = keep;
}
template <typename Search>
void keepNeeded(std::u16string& text, std::uint64_t& base, const Search& search) {
    const std::uint64_t keep = search.needed();
    text.erase(0, std::size_t(keep - base));
    base = keep;
}

// Searches the bytes of a UTF-8 or Windows-1252 file; `text` holds its first bytes. Each piece
// is read before the text before it is searched, so that a file that fits in one piece is seen
// to its end first: whether it is UTF-8 throughout is then known for its first value.
template <typename Search>
void searchBytes(ByteSource& source, QByteArray& text, TextEncoding encoding, Search& search,
                 ValueOrder& order, FileSink& sink, std::size_t pieceSize) {
    std::uint64_t base = 0;
    Utf8Watch utf8(source, pieceSize, text, base);
    utf8.read(viewOf(text), false);
    ByteOut out(order, encoding, utf8, source);
    for (;;) {
        const auto before = std::size_t(text.size());
        const std::size_t got = readPiece(source, text, pieceSize);
        utf8.read(viewOf(text).substr(before), got == 0);
        if (got == 0)
            break;
        search.scan(viewOf(text), base, false, out);
        keepNeeded(text, base, search);
        if (!sink.proceed())
            return;
    }
    search.scan(viewOf(text), base, true, out);
    // Only a mark-less file has undecided values, and only once the watch has started.
    order.finish([&] { return utf8.verdict() == Utf8Watch::Verdict::Utf8; });
}

// Searches a file decoded into `text`; `raw` holds its first bytes.
template <typename Search>
void searchWide(ByteSource& source, QByteArray& raw, std::u16string& text, TextEncoding decodeAs,
                Search& search, ValueOrder& order, FileSink& sink, std::size_t pieceSize) {
    StreamDecoder decoder(decodeAs);
    WideOut out(order);
    text.clear();
    std::uint64_t base = 0;
    decoder.decode(viewOf(raw), false, text);
    for (;;) {
        search.scan(std::u16string_view(text), base, false, out);
        keepNeeded(text, base, search);
        if (!sink.proceed())
            return;
        emptyKeepingMemory(raw);
        const std::size_t got = readPiece(source, raw, pieceSize);
        decoder.decode(viewOf(raw), got == 0, text);
        if (got == 0)
            break;
    }
    search.scan(std::u16string_view(text), base, true, out);
    order.finish([] { return true; });
}

// Whether a mark-less file is UTF-8 throughout; reads it to its end.
bool isUtf8Throughout(ByteSource& source, QByteArray& piece, std::size_t pieceSize) {
    Utf8Validator validator;
    validator.add(viewOf(piece), false);
    for (;;) {
        emptyKeepingMemory(piece);
        const std::size_t got = readPiece(source, piece, pieceSize);
        validator.add(viewOf(piece), got == 0);
        if (got == 0 || !validator.valid())
            return validator.valid();
    }
}

// The search of each kind over units of type Char, made when first needed.
template <typename Char> struct SearchSet {
    std::optional<detail::ElementSearch<Char>> element;
    std::optional<detail::LineSearch<Char>> line;
    std::optional<detail::QuoteSearch<Char>> quote;
};

template <typename Search> Search& restarted(std::optional<Search>& search, auto make) {
    if (!search)
        make();
    search->restart();
    return *search;
}

// Calls run with the search of the option over units of type Char, ready for a new file.
template <typename Char, typename Run>
void withSearch(ExtractionOption option, const std::vector<detail::TagPatterns<Char>>& tags,
                SearchSet<Char>& set, Run run) {
    switch (option) {
    case ExtractionOption::Quoted:
        run(restarted(set.quote, [&] { set.quote.emplace(); }));
        return;
    case ExtractionOption::WholeLine:
        // A line longer than this that holds no pattern yet is read again should one follow;
        // only bytes can be read again by position.
        run(restarted(set.line, [&] {
            set.line.emplace(tags, sizeof(Char) == 1 ? LineCarryLimit : detail::NotOpen);
        }));
        return;
    case ExtractionOption::TagAndValue:
    case ExtractionOption::ValueOnly:
        run(restarted(set.element,
                      [&] { set.element.emplace(tags, option == ExtractionOption::TagAndValue); }));
        return;
    case ExtractionOption::Nothing:
        return;
    }
}

} // namespace

struct FileExtractor::Searches {
    SearchSet<char> bytes;
    SearchSet<char16_t> wide;
};

FileExtractor::FileExtractor(ExtractionOption option, const QStringList& tags,
                             std::size_t pieceSize)
    : m_option(option), m_pieceSize(std::max<std::size_t>(pieceSize, 1)),
      m_searches(std::make_unique<Searches>()),
      m_held(std::make_unique<HeldValues>(
          option == ExtractionOption::Quoted ? 1 : std::size_t(tags.size()))) {
    for (const QString& tag : tags) {
        m_wideTags.push_back(detail::wideTagPatterns(tag));
        if (auto bytes = detail::bytePatterns(tag))
            m_byteTags.push_back(std::move(*bytes));
        else
            m_tagsAscii = false;
    }
}

FileExtractor::~FileExtractor() = default;

void FileExtractor::extract(ByteSource& source, FileSink& sink) {
    if (m_option == ExtractionOption::Nothing)
        return;
    QByteArray& first = m_bytes;
    emptyKeepingMemory(first);
    while (first.size() < LongestMark && readPiece(source, first, m_pieceSize) > 0) {
    }
    const TextEncoding encoding = encodingFromMark(first, first.size());
    first.remove(0, markLength(encoding));
    ValueOrder order(sink, *m_held, m_batch);

    // Quotation marks are ASCII, so any tag will do for the byte search of option 4.
    const bool wide =
        isWideEncoding(encoding) || (!m_tagsAscii && m_option != ExtractionOption::Quoted);
    if (!wide) {
        withSearch(m_option, m_byteTags, m_searches->bytes, [&](auto& search) {
            searchBytes(source, first, encoding, search, order, sink, m_pieceSize);
        });
        return;
    }
    TextEncoding decodeAs = encoding;
    if (encoding == TextEncoding::Narrow) {
        // Non-ASCII letters can only be compared once it is known how the bytes decode.
        decodeAs = isUtf8Throughout(source, first, m_pieceSize) ? TextEncoding::Utf8
                                                                : TextEncoding::Narrow;
        source.rewind();
        emptyKeepingMemory(first);
    }
    withSearch(m_option, m_wideTags, m_searches->wide, [&](auto& search) {
        searchWide(source, first, m_wide, decodeAs, search, order, sink, m_pieceSize);
    });
}

void FileExtractor::extract(QByteArrayView fileBytes, FileSink& sink) {
    MemorySource source(fileBytes);
    extract(source, sink);
}

} // namespace tagmill
