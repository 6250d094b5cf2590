#pragma once

#include "shell/ItemClassifier.h"

// The model's classifier: categories from the category rules, panels from the
// stored layout (an assignment or a loose position), else the category's own.
// A folder panel's items all belong to that panel.
class ItemPlacement final : public ItemClassifier
{
public:
    explicit ItemPlacement(const QString &folderPanel = QString())
        : m_folderPanel(folderPanel)
    {}

    void prepare() override;
    int category(bool isFolder, const QString &parsingName) const override;
    QString panelId(const QString &key, int category) const override;

private:
    QString m_folderPanel;
};
