#include "Catalog.h"

#include "base/l10n/L10nText.h"

#include <QFile>
#include <QJsonDocument>

namespace L10n {

Catalog::Catalog(QObject *parent)
    : QTranslator(parent)
{}

Catalog::~Catalog() = default;

bool Catalog::load(const QString &code)
{
    m_texts = QJsonObject();
    QFile file(QStringLiteral(":/i18n/%1.json").arg(code));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    m_texts = QJsonDocument::fromJson(file.readAll()).object();
    return !m_texts.isEmpty();
}

QString Catalog::translate(const char *context, const char *sourceText, const char *, int) const
{
    if (!context || !sourceText || qstrcmp(context, translationContext) != 0)
        return {};
    const QJsonValue value = m_texts.value(QString::fromUtf8(sourceText));
    // A member that is not a string (a damaged catalogue) is treated as missing,
    // so the English text shows rather than an empty label.
    return value.isString() ? value.toString() : QString();
}

bool Catalog::isEmpty() const
{
    return m_texts.isEmpty();
}

} // namespace L10n
