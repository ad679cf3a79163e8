#include "platform/textfile.h"

#include "platform/cp932.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kemoro {

namespace {

constexpr char endOfFileMark = 0x1A;
constexpr char utf8ByteOrderMark[] = "\xEF\xBB\xBF";

// Line numbers as the field reader counts them: CR LF, CR or LF ends a line.
class LineCounter
{
public:
    explicit LineCounter(QByteArrayView bytes) : m_bytes(bytes) {}
    int lineAt(qsizetype offset)
    {
        for (; m_pos < offset && m_pos < m_bytes.size(); ++m_pos) {
            const char c = m_bytes[m_pos];
            if (c == '\n' || (c == '\r' && (m_pos + 1 >= m_bytes.size() || m_bytes[m_pos + 1] != '\n')))
                ++m_line;
        }
        return m_line;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    int m_line = 1;
};

QString hexBytes(const QByteArray &bytes)
{
    QStringList out;
    for (char c : bytes)
        out.append(u"0x"_s + QString::number(uchar(c), 16).toUpper().rightJustified(2, u'0'));
    return out.join(u' ');
}

void reportBadBytes(const cp932::Decoded &decoded, QByteArrayView bytes, const QString &path,
                    Diagnostics &diagnostics, bool holdsSecret)
{
    LineCounter lines(bytes);
    QList<std::pair<int, QStringList>> byLine;
    for (const cp932::Decoded::Bad &bad : decoded.bad) {
        const int line = lines.lineAt(bad.offset);
        if (byLine.isEmpty() || byLine.last().first != line)
            byLine.append(std::pair<int, QStringList>(line, QStringList()));
        byLine.last().second.append(hexBytes(bad.bytes));
    }
    for (qsizetype i = 0; i < byLine.size(); ++i) {
        const auto &[line, sequences] = byLine.at(i);
        const QString what = holdsSecret
                                 ? u"bytes that are not Shift-JIS (CP932) text (values not shown: "
                                   u"this file holds the teacher password)"_s
                                 : u"bytes %1 are not Shift-JIS (CP932) text"_s.arg(sequences.join(u", "_s));
        if (i == 0) {
            const QString more =
                byLine.size() > 1 ? u"; %1 lines have such bytes"_s.arg(byLine.size()) : QString();
            diagnostics.append(
                {Diagnostic::Severity::Warning, path, Diagnostic::lineLocation(line),
                 u"Shift-JIS でない文字があります。「\uFFFD」として読みました (%1, read as U+FFFD%2)"_s.arg(
                     what, more)});
        } else {
            diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::lineLocation(line),
                                what + u", read as U+FFFD"_s});
        }
    }
}

bool hasMultiByteUtf8(QByteArrayView bytes, QString &text)
{
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; })) return false;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    text = utf8.decode(bytes);
    return !utf8.hasError();
}

Diagnostic savedAs(const QString &path, const QString &encoding)
{
    return {Diagnostic::Severity::Warning, path, Diagnostic::fileLocation(),
            u"%1 で保存されています。ほかのコンピューターは Shift-JIS でないと読めません。メモ帳で開き、"
            u"「名前を付けて保存」で文字コードを「ANSI」にして保存し直してください (saved as %1 and read "
            u"as %1 here; other computers need Shift-JIS: in Notepad, Save As with the encoding ANSI)"_s.arg(
                encoding)};
}

// A text with a byte-order mark, read in its own encoding.
QString decodeMarked(QByteArrayView bytes, QStringConverter::Encoding encoding, const QString &name,
                     const QString &path, Diagnostics &diagnostics)
{
    diagnostics.append(savedAs(path, name));
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        diagnostics.append({Diagnostic::Severity::Check, path, Diagnostic::fileLocation(),
                            u"bytes that are not %1 text, read as U+FFFD"_s.arg(name)});
    return text;
}

} // namespace

QString decodeTextFile(QByteArrayView bytes, const QString &path, Diagnostics &diagnostics, TextFileKind kind)
{
    if (const qsizetype mark = bytes.indexOf(endOfFileMark); mark >= 0) {
        const QByteArrayView after = bytes.sliced(mark + 1);
        const auto isText = [](char c) {
            return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != endOfFileMark;
        };
        if (std::any_of(after.begin(), after.end(), isText))
            diagnostics.append(
                {Diagnostic::Severity::Check, path, Diagnostic::lineLocation(LineCounter(bytes).lineAt(mark)),
                 u"the end-of-file mark (Ctrl-Z, 0x1A) stops the reading here; the text after it "
                 u"is not read"_s});
        bytes = bytes.first(mark);
    }
    // Notepad's "UTF-8" and "Unicode" start with a byte-order mark.
    if (bytes.startsWith(utf8ByteOrderMark))
        return decodeMarked(bytes.sliced(3), QStringConverter::Utf8, u"UTF-8"_s, path, diagnostics);
    if (bytes.startsWith("\xFF\xFE"))
        return decodeMarked(bytes.sliced(2), QStringConverter::Utf16LE, u"UTF-16"_s, path, diagnostics);
    if (bytes.startsWith("\xFE\xFF"))
        return decodeMarked(bytes.sliced(2), QStringConverter::Utf16BE, u"UTF-16"_s, path, diagnostics);
    cp932::Decoded decoded = cp932::decode(bytes);
    if (decoded.clean()) return decoded.text;
    if (QString utf8; hasMultiByteUtf8(bytes, utf8)) {
        diagnostics.append(savedAs(path, u"UTF-8"_s));
        return utf8;
    }
    reportBadBytes(decoded, bytes, path, diagnostics, kind.holdsSecret);
    return decoded.text;
}

std::optional<QString> readTextFile(const QString &path, Diagnostics &diagnostics, TextFileKind kind)
{
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile()) {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"ファイルがありません (file not found)"_s});
        return std::nullopt;
    }
    auto tooLarge = [&] {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"大きすぎます。設定のファイルではありません (larger than %1 MiB: not a settings "
                            u"file; not read)"_s.arg(kind.maxBytes / (1024 * 1024))});
        return std::nullopt;
    };
    if (kind.maxBytes >= 0 && info.size() > kind.maxBytes) return tooLarge();
    if (!file.open(QIODevice::ReadOnly)) {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"読み込めません (cannot be read): "_s + file.errorString()});
        return std::nullopt;
    }
    // The size may have changed since it was asked: never read past the limit.
    const QByteArray bytes = kind.maxBytes >= 0 ? file.read(kind.maxBytes + 1) : file.readAll();
    if (file.error() != QFileDevice::NoError) {
        diagnostics.append({Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                            u"読み込めません (cannot be read): "_s + file.errorString()});
        return std::nullopt;
    }
    if (kind.maxBytes >= 0 && bytes.size() > kind.maxBytes) return tooLarge();
    return decodeTextFile(bytes, path, diagnostics, kind);
}

std::optional<Diagnostic> writeFileAtomic(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return Diagnostic{Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                          u"書き込めません (cannot be written): "_s + file.errorString()};
    if (file.write(bytes) != bytes.size() || !file.commit())
        return Diagnostic{Diagnostic::Severity::Fatal, path, Diagnostic::fileLocation(),
                          u"書き込めません (cannot be written): "_s + file.errorString()};
    return std::nullopt;
}

std::optional<Diagnostic> writeTextFileAtomic(const QString &path, const QString &text)
{
    qsizetype bad = -1;
    const std::optional<QByteArray> bytes = cp932::encode(text, &bad);
    if (!bytes) {
        const int line = int(QStringView(text).left(bad).count(u'\n')) + 1;
        return Diagnostic{
            Diagnostic::Severity::Fatal, path, Diagnostic::lineLocation(line),
            u"「%1」は Shift-JIS で保存できません (cannot be saved as Shift-JIS)"_s.arg(text.mid(bad, 1))};
    }
    return writeFileAtomic(path, *bytes);
}

} // namespace kemoro
