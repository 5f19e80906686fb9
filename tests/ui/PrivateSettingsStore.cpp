// The window tests read and write the user's settings through QSettings; they get a
// store of their own so that a test run never touches the settings of the person
// running it. Set up before main(), so before Qt reads the variable.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct TPrivateSettingsStore {
    TPrivateSettingsStore()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tomelark-ui-config-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            Path = pattern;
            setenv("XDG_CONFIG_HOME", Path.c_str(), 1);
        }
    }
    ~TPrivateSettingsStore()
    {
        std::error_code ignored;
        if (!Path.empty())
            std::filesystem::remove_all(Path, ignored);
    }
    std::string Path;
};

TPrivateSettingsStore Store;

} // namespace
