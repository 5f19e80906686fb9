#pragma once
// The data module as the tool's subcommands use it: the card base of a given folder,
// and settings kept apart from the user's own, so the tool neither depends on nor
// changes what the program has stored.
#include "data/DataModule.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

class TToolDataModule {
public:
    // Loads baseDir/data/cardbase.cds (a folder "data" or a pack file "data"). Raises
    // the data module's start-up error when the card base cannot be loaded.
    explicit TToolDataModule(const std::string& baseDir);
    ~TToolDataModule();
    TData& operator*() { return *FData; }
    TData* operator->() { return FData.get(); }

private:
    QTemporaryDir FSettingsDir; // settings store of this run; removed at the end
    std::unique_ptr<TData> FData;
};

// Registers the program's fonts (the symbol font) for drawing cards: from the data
// store's folder, or from beside the tool.
void RegisterToolFonts();
