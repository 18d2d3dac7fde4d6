#include "core/commission/SheetFile.h"

#include <QFile>
#include <QtGlobal>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QStringDecoder>
#else
#include <QTextCodec>
#endif

#include <algorithm>

namespace {

constexpr char kFallbackEncoding[] = "GB18030";

// The text decoded with `encoding`; false when the bytes are not in it or
// the encoding is not available (`known` then false).
bool decode(const QByteArray& bytes, const char* encoding, QString* text, bool* known)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    *known = decoder.isValid();
    if (!*known)
        return false;
    *text = decoder.decode(bytes);
    return !decoder.hasError();
#else
    QTextCodec* codec = QTextCodec::codecForName(encoding);
    *known = codec != nullptr;
    if (!*known)
        return false;
    QTextCodec::ConverterState state;
    *text = codec->toUnicode(bytes.constData(), bytes.size(), &state);
    // Some codecs do not count what they replace; the replacement shows.
    return state.invalidChars == 0 && state.remainingChars == 0 && !text->contains(QChar::ReplacementCharacter);
#endif
}

}  // namespace

bool sheetTextAsUtf8(const QByteArray& bytes, std::string* text, std::vector<CommissionProblem>* problems)
{
    QString decoded;
    bool known = false;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        decode(bytes.mid(2), bytes.startsWith("\xFF\xFE") ? "UTF-16LE" : "UTF-16BE", &decoded, &known);
        *text = decoded.toStdString();
        return true;
    }
    // Many zero bytes: UTF-16 saved without its mark, which no other
    // encoding of a sheet yields.
    if (std::count(bytes.begin(), bytes.end(), '\0') * 4 >= bytes.size() && !bytes.isEmpty()) {
        problems->push_back({0, std::string(), ProblemKind::BadEncoding, "UTF-16"});
        return false;
    }
    if (decode(bytes, "UTF-8", &decoded, &known)) {
        *text = bytes.toStdString();
        return true;
    }
    if (decode(bytes, kFallbackEncoding, &decoded, &known)) {
        *text = decoded.toStdString();
        return true;
    }
    problems->push_back({0, std::string(), ProblemKind::BadEncoding, known ? kFallbackEncoding : ""});
    return false;
}

bool readSheetFile(const QString& path, CommissionSheet* sheet, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    std::string text;
    if (sheetTextAsUtf8(file.readAll(), &text, &sheet->problems))
        readCommissionSheet(text, sheet);
    return true;
}
