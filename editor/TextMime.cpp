#include "TextMime.h"

#include <QByteArray>
#include <QMimeData>
#include <QString>

#include "Utf8.h"

namespace editor {

std::string ToPlatformLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // CR LF becomes LF
        out.push_back(text[i]);
    }
    return out;
}

std::string FromPlatformLineEnds(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += "\r\n";
            continue;
        }
        out.push_back(c);
    }
    return out;
}

QMimeData* MakeTextMimeData(const std::string& text) {
    auto* data = new QMimeData;
    data->setData(kEditorTextMime, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
    // Bytes that are not UTF-8 reach other programs as the Latin-1 characters they are drawn as.
    const std::u32string chars = utf8::Decode(ToPlatformLineEnds(text));
    data->setText(QString::fromUcs4(chars.data(), static_cast<qsizetype>(chars.size())));
    return data;
}

bool HasEditorText(const QMimeData* data) {
    return data != nullptr && (data->hasFormat(kEditorTextMime) || data->hasText());
}

bool EditorTextFromMime(const QMimeData* data, std::string& text) {
    text.clear();
    if (data == nullptr)
        return false;
    if (data->hasFormat(kEditorTextMime)) {
        const QByteArray bytes = data->data(kEditorTextMime);
        text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return true;
    }
    if (!data->hasText())
        return false;
    text = FromPlatformLineEnds(data->text().toStdString());
    return true;
}

} // namespace editor
