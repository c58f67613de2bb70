#include "cli/CommandLine.h"

#include <QStringList>

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
    static const std::pair<QLatin1String, OutputFormat> formats[] = {
        {QLatin1String("jsonl"), OutputFormat::Jsonl},
        {QLatin1String("csv"), OutputFormat::Csv},
        {QLatin1String("report"), OutputFormat::Report},
        {QLatin1String("comma"), OutputFormat::Comma},
        {QLatin1String("tab"), OutputFormat::Tab},
        {QLatin1String("xlsx"), OutputFormat::Xlsx},
    };
    for (const auto& [name, format] : formats) {
        if (text == name)
            return format;
    }
    return std::nullopt;
}

bool applyFlag(const QString& arg, CommandLine& line) {
    if (arg == QLatin1String("--with-filename"))
        line.withFilename = true;
    else if (arg == QLatin1String("--files"))
        line.listFiles = true;
    else if (arg == QLatin1String("--progress"))
        line.progress = true;
    else if (arg == QLatin1String("--no-progress"))
        line.progress = false;
    else if (arg == QLatin1String("-0") || arg == QLatin1String("--null"))
        line.nulSeparated = true;
    else
        return false;
    return true;
}

// False when the option is unknown or its value is not valid.
bool applyValue(const QString& name, const QString& value, CommandLine& line) {
    static const std::pair<QLatin1String, Source::Kind> sourceOptions[] = {
        {QLatin1String("--tag"), Source::Kind::Tag},
        {QLatin1String("--tags-from"), Source::Kind::TagList},
        {QLatin1String("--scan"), Source::Kind::Folder},
        {QLatin1String("--files-from"), Source::Kind::FileList},
    };
    for (const auto& [option, kind] : sourceOptions) {
        if (name == option) {
            line.sources.append({kind, value});
            return true;
        }
    }
    if (name == QLatin1String("--option")) {
        const auto option = optionFromText(value);
        line.option = option.value_or(line.option);
        return option.has_value();
    }
    if (name == QLatin1String("--format")) {
        const auto format = formatFromText(value);
        line.format = format.value_or(line.format);
        return format.has_value();
    }
    if (name == QLatin1String("--output")) {
        // An empty name names no file; taking it for standard output would hide a slip.
        line.output = value;
        return !value.isEmpty();
    }
    if (name == QLatin1String("--rows-from")) {
        // One source of rows a run; an empty name names no file.
        const bool first = !line.rowsFrom;
        line.rowsFrom = value;
        return first && !value.isEmpty();
    }
    if (name == QLatin1String("--ext")) {
        // An empty extension is a slip, not a wish for names ending in a dot ("*.").
        line.extension = value;
        return !value.isEmpty();
    }
    return false;
}

} // namespace

Request requestOf(const QStringList& arguments) {
    for (const QString& arg : arguments) {
        if (arg == QLatin1String("--"))
            break;
        if (arg == QLatin1String("--help"))
            return Request::Help;
        if (arg == QLatin1String("--version"))
            return Request::Version;
    }
    return Request::Run;
}

bool readsStandardInputTwice(const CommandLine& line) {
    qsizetype readers = 0;
    for (const Source& source : line.sources) {
        const bool isRead = source.kind == Source::Kind::File ||
                            source.kind == Source::Kind::FileList ||
                            source.kind == Source::Kind::TagList;
        if (isRead && source.text == QLatin1String("-"))
            ++readers;
    }
    return readers > 1;
}

std::optional<CommandLine> parseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnded || !arg.startsWith(u'-') || arg == QLatin1String("-")) {
            line.sources.append({Source::Kind::File, arg});
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (applyFlag(arg, line))
            continue;
        // Options with a value take it as "--name=value" or as the next argument.
        const qsizetype eq = arg.indexOf(u'=');
        QString value;
        if (eq >= 0)
            value = arg.mid(eq + 1);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return std::nullopt;
        if (!applyValue(eq < 0 ? arg : arg.left(eq), value, line))
            return std::nullopt;
    }
    // Rows read back are written as they are: nothing is searched, so nothing to search may
    // be given.
    if (line.rowsFrom && (!line.sources.isEmpty() || line.listFiles))
        return std::nullopt;
    return line;
}

} // namespace tagmill::cli
