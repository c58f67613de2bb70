#include "lists/SampleFiles.h"

#include "lists/FolderScan.h"

namespace tagmill {

namespace {

// Walks the key's letters in turn, starting over after the last.
class KeyWalk {
public:
    explicit KeyWalk(const QString& key) : m_key(key.toLatin1()) {}
    int next() {
        const int code = static_cast<unsigned char>(m_key[m_at]);
        m_at = (m_at + 1) % m_key.size();
        return code;
    }

private:
    QByteArray m_key;
    qsizetype m_at = 0;
};

} // namespace

QString samplesFolder(const QString& programFolder) {
    return programFolder + QStringLiteral("/Samples/");
}

QString sampleList(const QString& programFolder) {
    const QString folder = samplesFolder(programFolder);
    QStringList paths;
    for (const QString& name : ListFilesInFolder(folder, EveryFilePattern))
        paths.append(folder + name);
    return paths.join(u'|');
}

QString scrambleBytes(const QByteArray& bytes, const QString& key) {
    KeyWalk walk(key);
    QString scrambled;
    for (const char byte : bytes) {
        int code = static_cast<unsigned char>(byte) + walk.next();
        if (code >= 256)
            code -= 255;
        scrambled.append(QChar(char16_t(code)));
    }
    return scrambled;
}

QByteArray unscrambleBytes(const QString& text, const QString& key) {
    KeyWalk walk(key);
    QByteArray bytes;
    for (const QChar character : text) {
        int code = (character.unicode() & 0xFF) - walk.next();
        if (code <= 0)
            code += 255;
        bytes.append(char(code));
    }
    return bytes;
}

QString ScrambleText(const QString& text, const QString& key) {
    return scrambleBytes(text.toUtf8(), key);
}

QString UnscrambleText(const QString& text, const QString& key) {
    return QString::fromUtf8(unscrambleBytes(text, key));
}

} // namespace tagmill
