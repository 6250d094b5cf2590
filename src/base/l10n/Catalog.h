#pragma once

#include <QJsonObject>
#include <QTranslator>

namespace L10n {

// A translator over one JSON catalogue: English source texts mapped to their
// translations, for the program's own translation context only.
class Catalog : public QTranslator
{
    Q_OBJECT

public:
    explicit Catalog(QObject *parent = nullptr);
    ~Catalog() override;

    // Reads ":/i18n/<code>.json"; true when it held at least one text.
    bool load(const QString &code);

    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override;

private:
    QJsonObject m_texts;
};

} // namespace L10n
