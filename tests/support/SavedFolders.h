#pragma once
// For tests that move the program's folders or the user's data location: what they
// were is put back when the object goes, so that no later test in the process sees a
// test's temporary folders.
#include "data/Settings.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>

#include <string>

// AppDir, BaseDir, ImagesDir and UserDir as they were at construction.
class TSavedFolders {
public:
    TSavedFolders() : App(AppDir), Base(BaseDir), Images(ImagesDir), User(UserDir) {}
    ~TSavedFolders()
    {
        AppDir = App;
        BaseDir = Base;
        ImagesDir = Images;
        UserDir = User;
    }
    TSavedFolders(const TSavedFolders&) = delete;
    TSavedFolders& operator=(const TSavedFolders&) = delete;

private:
    std::string App, Base, Images, User;
};

// The user's data location ($XDG_DATA_HOME, where UserDataFolder lies) pointed at
// `folder` for the object's lifetime.
class TUserDataHome {
public:
    explicit TUserDataHome(const QString& folder)
        : Had(qEnvironmentVariableIsSet("XDG_DATA_HOME")), Saved(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(folder));
    }
    ~TUserDataHome()
    {
        if (Had)
            qputenv("XDG_DATA_HOME", Saved);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    TUserDataHome(const TUserDataHome&) = delete;
    TUserDataHome& operator=(const TUserDataHome&) = delete;

private:
    bool Had;
    QByteArray Saved;
};
