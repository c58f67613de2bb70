#include "engine/ExtractValues.h"

#include "engine/Searches.h"
#include "engine/TagPatterns.h"

namespace tagmill {

namespace {

struct QStringSink {
    std::u16string_view text;
    const DeliverValue& deliver;
    const YieldControl& yield;
    const ReportFailure& report;

    bool proceed() {
        yield();
        return true;
    }
    void value(std::size_t start, std::size_t length) {
        deliver(QString(reinterpret_cast<const QChar*>(text.data() + start), qsizetype(length)));
    }
    void failure(const QString& description) { report(description); }
};

std::u16string_view viewOf(const QString& s) {
    return {reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size())};
}

} // namespace

void ExtractValues(ExtractionOption option, const QStringList& units, const QStringList& tags,
                   const DeliverValue& deliver, const YieldControl& yield,
                   const ReportFailure& failure) {
    if (option == ExtractionOption::WholeLine) {
        for (const QString& tag : tags) {
            const auto patterns = detail::wideTagPatterns(tag);
            for (const QString& line : units)
                if (detail::findFolded(viewOf(line), 0, patterns.opening) !=
                    std::u16string_view::npos)
                    deliver(line);
        }
        return;
    }
    if (option == ExtractionOption::Nothing)
        return;

    const QString whole = units.join(QString());
    QStringSink sink{viewOf(whole), deliver, yield, failure};
    if (option == ExtractionOption::Quoted) {
        detail::extractQuoted(sink.text, sink);
        return;
    }
    for (const QString& tag : tags)
        detail::extractBetweenTags(sink.text, detail::wideTagPatterns(tag),
                                   option == ExtractionOption::TagAndValue, sink);
}

} // namespace tagmill
