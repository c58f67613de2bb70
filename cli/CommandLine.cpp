#include "cli/CommandLine.h"

namespace tagmill::cli {

namespace {

std::optional<ExtractionOption> optionFromText(const QString& text) {
    static const QStringList numbers{"1", "2", "3", "4", "5"};
    const qsizetype at = numbers.indexOf(text);
    if (at < 0)
        return std::nullopt;
    return ExtractionOption(at + 1);
}

std::optional<OutputFormat> formatFromText(const QString& text) {
    if (text == QLatin1String("jsonl"))
        return OutputFormat::Jsonl;
    if (text == QLatin1String("csv"))
        return OutputFormat::Csv;
    return std::nullopt;
}

} // namespace

std::optional<CommandLine> parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            line.run.entries.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (arg == QLatin1String("--with-filename")) {
            line.withFilename = true;
            continue;
        }
        // Options with a value take it as "--name=value" or as the next argument.
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = eq < 0 ? arg : arg.left(eq);
        if (name != QLatin1String("--option") && name != QLatin1String("--tag") &&
            name != QLatin1String("--format"))
            return std::nullopt;
        QString value;
        if (eq >= 0)
            value = arg.mid(eq + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return std::nullopt;

        if (name == QLatin1String("--tag")) {
            line.run.tags.append(value);
        } else if (name == QLatin1String("--option")) {
            const auto option = optionFromText(value);
            if (!option)
                return std::nullopt;
            line.run.option = *option;
        } else {
            const auto format = formatFromText(value);
            if (!format)
                return std::nullopt;
            line.format = *format;
        }
    }
    return line;
}

} // namespace tagmill::cli
