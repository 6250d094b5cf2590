#pragma once

#include "shell/ItemClassifier.h"

// The model's classifier: categories from the category rules, panels from the
// stored layout (an assignment or a loose position), else the category's own.
class ItemPlacement final : public ItemClassifier
{
public:
    void prepare() override;
    int category(bool isFolder, const QString &parsingName) const override;
    QString panelId(const QString &key, int category) const override;
};
