#include "ScanReference.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace tagmill::test {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

std::optional<FolderId> folderId(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

std::optional<QString> utf8Name(const std::string& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString name = decoder(QByteArray::fromStdString(bytes));
    if (decoder.hasError())
        return std::nullopt;
    return name;
}

bool safeFolderName(const QString& name) {
    const QList<uint> codes = name.toUcs4();
    return std::none_of(codes.begin(), codes.end(), [](uint code) {
        return code < 32 || (code >= 127 && code <= 159) || code == '?';
    });
}

bool wanted(const QString& name, const QString& extension) {
    if (extension.isEmpty() || extension == QLatin1String("*"))
        return true;
    return name.endsWith(u'.' + extension, Qt::CaseInsensitive);
}

void sortNames(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int ignoringCase = QString::compare(a, b, Qt::CaseInsensitive);
        return ignoringCase != 0 ? ignoringCase < 0 : QString::compare(a, b) < 0;
    });
}

QString collapsed(QString path) {
    return path.replace(QLatin1String("//"), QLatin1String("/"));
}

struct Listing {
    QStringList files;
    QStringList folders;
};

Listing list(const QString& folder, const QString& extension) {
    Listing listing;
    std::error_code error;
    for (fs::directory_iterator it(QFile::encodeName(folder).toStdString(), error), end;
         !error && it != end; it.increment(error)) {
        const std::optional<QString> name = utf8Name(it->path().filename().native());
        std::error_code statusError; // a dangling link has no status and is no file
        const fs::file_status status = it->status(statusError);
        if (!name || statusError)
            continue;
        if (fs::is_regular_file(status) && !name->startsWith(u'~') && wanted(*name, extension))
            listing.files.append(*name);
        else if (fs::is_directory(status) && safeFolderName(*name))
            listing.folders.append(*name);
    }
    sortNames(listing.files);
    sortNames(listing.folders);
    return listing;
}

} // namespace

QStringList referenceScan(const QString& start, const QString& extension) {
    std::set<FolderId> reached;
    if (const auto id = folderId(start))
        reached.insert(*id);
    QStringList found;
    QStringList level{start};
    while (!level.isEmpty()) {
        QStringList below;
        for (const QString& folder : level) {
            const Listing listing = list(folder, extension);
            for (const QString& name : listing.files)
                found.append(collapsed(folder + u'/' + name));
            for (const QString& name : listing.folders) {
                const QString path = folder + u'/' + name;
                const auto id = folderId(path);
                if (id && reached.insert(*id).second)
                    below.append(path);
            }
        }
        level = below;
    }
    return found;
}

} // namespace tagmill::test
