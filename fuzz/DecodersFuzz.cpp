// Decoding never fails and never leaves a lone surrogate; lines never hold a line break, and
// put back together with their breaks they are the text again.

#include "FuzzInput.h"
#include "textio/FileReaders.h"
#include "textio/TextEncoding.h"

#include <QStringDecoder>

using namespace tagmill;
using namespace tagmill::fuzz;

namespace {

bool hasLoneSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

void checkLines(const QString& text) {
    const QStringList lines = SplitCrLfLines(text);
    QString joined;
    for (const QString& line : lines) {
        expect(!line.contains(u'\r') && !line.contains(u'\n'), "no break inside a line");
        joined += line;
    }
    QString unbroken = text;
    unbroken.remove(u'\r').remove(u'\n');
    expect(joined == unbroken, "lines hold every character but the breaks");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (TextEncoding encoding :
         {TextEncoding::Narrow, TextEncoding::Utf8, TextEncoding::Utf16LE, TextEncoding::Utf16BE,
          TextEncoding::Utf32LE, TextEncoding::Utf32BE}) {
        const QString text = decodeText(bytes, encoding);
        expect(!hasLoneSurrogate(text), "no lone surrogate");
        checkLines(text);
    }
    const TextEncoding marked = encodingFromMark(bytes, bytes.size());
    expect(markLength(marked) <= bytes.size(), "a mark inside the file");
    // Qt's own UTF-8 decoder is the second opinion on which bytes are UTF-8. A mark here is not
    // at the start of a file (that one was taken off before), so it is text.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    const bool valid = !utf8.hasError();
    expect(decodeNarrow(bytes) == (valid ? asUtf8 : decodeWindows1252(bytes)),
           "narrow text is UTF-8 when valid, Windows-1252 otherwise");
    return 0;
}
