#pragma once

#include "shell/ItemClassifier.h"

#include <QHash>
#include <QString>

#include <memory>

// Classifies by a small suffix table a test can see at a glance. The model owns
// its classifier, so tests keep a shared state object to change the rules between reloads.
class FakeItemClassifier : public ItemClassifier
{
public:
    struct State
    {
        QHash<QString, int> suffixes{{"pdf", 3}, {"txt", 3}, {"desktop", 2}, {"psd", 4}, {"html", 8}};
        QHash<QString, QString> panels; // by item key
        int preparations = 0;
    };

    explicit FakeItemClassifier(std::shared_ptr<State> state)
        : m_state(std::move(state))
    {}

    void prepare() override { ++m_state->preparations; }
    int category(bool isFolder, const QString &parsingName) const override
    {
        if (parsingName.startsWith(QLatin1String("::{")))
            return 0;
        if (isFolder)
            return 1;
        const qsizetype dot = parsingName.lastIndexOf(QLatin1Char('.'));
        return dot < 0 ? 9 : m_state->suffixes.value(parsingName.mid(dot + 1).toLower(), 9);
    }
    QString panelId(const QString &key, int category) const override
    {
        return m_state->panels.value(key, QStringLiteral("category-%1").arg(category));
    }

private:
    std::shared_ptr<State> m_state;
};
