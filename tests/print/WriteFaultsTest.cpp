// Every file the program rewrites, on a full disk: the card base, a deck, a saved card
// picture and the page bitmaps each fail with the system's reason, the file that was
// there stays whole, and no temporary file is left. The disk is a small tmpfs where
// the test may mount one, else a file size limit stands in for it.
#include "PrintTestSupport.h"

#include "FileSizeLimit.h"
#include "Library/Common/ImageCodecs.h"

#include <QDir>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

namespace fs = std::filesystem;

namespace {

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes a filler file until the file system refuses another byte.
void FillUp(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::setvbuf(f, nullptr, _IONBF, 0);
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size()) {
    }
    while (std::fwrite("f", 1, 1, f) == 1) {
    }
    std::fclose(f);
}

} // namespace

class WriteFaultsTest : public PrintTest {
protected:
    void TearDown() override
    {
        if (Mounted)
            ::umount2(Disk.c_str(), MNT_DETACH);
        PrintTest::TearDown();
    }
    std::string Disk;
    bool Mounted = false;
};

TEST_F(WriteFaultsTest, AFullDiskLeavesEveryFileWhole)
{
    Disk = Folder("disk");
    fs::create_directories(Disk);
    Mounted = ::mount("tmpfs", Disk.c_str(), "tmpfs", 0, "size=4m") == 0;
    // The page bitmaps go below the program's folder: that folder is on the disk.
    fs::create_directories(Disk + "preprint");
    fs::create_symlink(Disk + "preprint", Folder("preprint").substr(0, Folder("preprint").size() - 1));

    BuildDeck(30);
    const std::string cardBase = Disk + "cardbase.cds", deck = Disk + "deck.mdc", picture = Disk + "card.jpg";
    const QImage face(300, 433, QImage::Format_RGB888);
    auto saveAll = [&](bool print) {
        std::vector<std::string> errors;
        auto attempt = [&](const std::function<void()>& save) {
            try {
                save();
                errors.emplace_back();
            } catch (const std::exception& e) {
                errors.push_back(Win1251ToUtf8(e.what()));
            }
        };
        attempt([&] { Module->BaseTable.SaveToFile(cardBase); });
        attempt([&] { Module->SaveDeck(deck); });
        attempt([&] { SavePictureFile(face, QString::fromStdString(picture)); });
        if (print)
            attempt([&] {
                Run.ToBitmapFiles = true;
                Run.UpdateLayout();
                Run.PrintCards();
            });
        return errors;
    };
    // The files as they were before the disk filled up (a page bitmap of an earlier
    // run stands in as a few bytes: real ones are tens of megabytes).
    for (const std::string& e : saveAll(false))
        ASSERT_EQ(e, "");
    const std::string page1 = Disk + "preprint/page1.bmp";
    std::ofstream(page1, std::ios::binary) << "an earlier page";
    const std::vector<std::string> files = {cardBase, deck, picture, page1};
    std::vector<std::string> before;
    for (const std::string& f : files)
        before.push_back(Bytes(f));

    std::optional<TFileSizeLimit> limit;
    std::string reason = "Нет места на устройстве";
    if (Mounted) {
        FillUp(Disk + "filler");
    } else {
        limit.emplace(16);
        reason = "Файл слишком велик";
    }
    const std::vector<std::string> errors = saveAll(true);
    limit.reset();
    ASSERT_EQ(errors.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i]);
        EXPECT_NE(errors[i].find(reason), std::string::npos) << errors[i];
        EXPECT_EQ(Bytes(files[i]), before[i]);
    }
    for (const auto& e : fs::recursive_directory_iterator(Disk))
        EXPECT_EQ(e.path().filename().string().find(".tomelark-"), std::string::npos) << e.path();
    RecordProperty("disk", Mounted ? "tmpfs" : "file size limit");
}
