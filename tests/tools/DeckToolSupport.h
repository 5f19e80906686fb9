#pragma once
// Running tomelark-tool from the tests and reading the sample card base's source.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <string>
#include <vector>

namespace decktool {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline ToolRun RunTool(const QStringList& args)
{
    static QTemporaryDir runtime; // a private runtime folder keeps Qt quiet on stderr
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TOMELARK_BIN_DIR "/tomelark-tool"), args);
    ToolRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

// The sample card base's source, one object per card.
inline std::vector<QJsonObject> SampleCards()
{
    QFile f(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/cardbase.json"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    std::vector<QJsonObject> cards;
    for (const auto& v : QJsonDocument::fromJson(f.readAll()).array())
        cards.push_back(v.toObject());
    return cards;
}

inline bool HaveDataStore()
{
    return QFile::exists(QStringLiteral(TOMELARK_BIN_DIR "/data/cardbase.cds"))
        && QFile::exists(QStringLiteral(TOMELARK_BIN_DIR "/tomelark-tool"));
}

} // namespace decktool
