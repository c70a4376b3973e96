// The layers of the code base, read from the #include lines of every source file: a file
// includes only its own layer or lower ones, the logic folders never include each other in a
// circle, and no Qt Widgets header appears below gui/. Below the windows nothing reports or
// asks the user: the ground floor and the logic return outcomes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bottom up; the logic folders share one layer.
enum Layer { Kelvox, Core, Logic, Gui, SubsystemUi, App };

const std::vector<std::string> kLogicFolders = {"analysis", "casedb", "files", "display", "gauge"};

struct SourceLine {
    std::string file; // relative to the source root
    int line;
    std::string text;
};

struct Include {
    std::string file; // relative to the source root
    int line;
    std::string target; // what stands between the quotes or angle brackets
    bool quoted;
};

// The folder a project path belongs to for layering: "files/ui", "core", ...; nullopt for
// folders outside the layers (tests, bench, tools, data).
std::optional<std::string> unitOf(const std::string& path)
{
    const auto slash = path.find('/');
    if (slash == std::string::npos)
        return std::nullopt;
    const std::string top = path.substr(0, slash);
    if (top == "kelvox" || top == "core" || top == "gui" || top == "app")
        return top;
    if (std::find(kLogicFolders.begin(), kLogicFolders.end(), top) != kLogicFolders.end()) {
        if (path.compare(slash + 1, 3, "ui/") == 0)
            return top + "/ui";
        return top;
    }
    return std::nullopt;
}

Layer layerOf(const std::string& unit)
{
    if (unit == "kelvox")
        return Kelvox;
    if (unit == "core")
        return Core;
    if (unit == "gui")
        return Gui;
    if (unit == "app")
        return App;
    if (unit.size() > 3 && unit.compare(unit.size() - 3, 3, "/ui") == 0)
        return SubsystemUi;
    return Logic;
}

// Every line of every source file of the layer folders.
std::vector<SourceLine> readSources()
{
    std::vector<SourceLine> found;
    const fs::path root(SARVOTEX_SOURCE_DIR);
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const auto& entry = *it;
        // Only the layer folders are read (never the build folders beside them).
        if (it.depth() == 0 && entry.is_directory() && !unitOf(entry.path().filename().string() + "/")) {
            it.disable_recursion_pending();
            continue;
        }
        if (!entry.is_regular_file())
            continue;
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp")
            continue;
        const std::string relative = fs::relative(entry.path(), root).generic_string();
        if (!unitOf(relative))
            continue;
        std::ifstream in(entry.path());
        std::string text;
        int number = 0;
        while (std::getline(in, text))
            found.push_back({relative, ++number, text});
    }
    return found;
}

std::vector<Include> includesOf(const std::vector<SourceLine>& sources)
{
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    for (const SourceLine& source : sources) {
        std::smatch m;
        if (std::regex_search(source.text, m, include))
            found.push_back({source.file, source.line, m[2].str(), m[1].str() == "\""});
    }
    return found;
}

std::set<std::string> widgetsHeaders()
{
    std::set<std::string> names;
    const fs::path dir(SARVOTEX_WIDGETS_DIR);
    if (dir.empty() || !fs::is_directory(dir))
        return names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

std::string where(const Include& inc)
{
    std::ostringstream out;
    out << inc.file << ":" << inc.line << " includes " << inc.target;
    return out.str();
}

class Layers : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sources = new std::vector<SourceLine>(readSources());
        includes = new std::vector<Include>(includesOf(*sources));
    }
    static void TearDownTestSuite()
    {
        delete includes;
        delete sources;
    }
    static std::vector<SourceLine>* sources;
    static std::vector<Include>* includes;
};
std::vector<SourceLine>* Layers::sources = nullptr;
std::vector<Include>* Layers::includes = nullptr;

} // namespace

TEST_F(Layers, TheSourcesAreFound)
{
    // A wrong root would pass every other check on nothing.
    const auto count = std::count_if(includes->begin(), includes->end(),
                                     [](const Include& i) { return i.file.rfind("core/", 0) == 0; });
    EXPECT_GT(count, 20);
}

TEST_F(Layers, NoFileIncludesAHigherLayer)
{
    for (const Include& inc : *includes) {
        if (!inc.quoted)
            continue;
        const auto target = unitOf(inc.target);
        if (!target)
            continue;
        const std::string from = *unitOf(inc.file);
        EXPECT_LE(layerOf(*target), layerOf(from)) << where(inc);
        // The computation library stands alone: it includes nothing of the program.
        if (layerOf(from) == Kelvox)
            EXPECT_EQ(*target, "kelvox") << where(inc);
    }
}

TEST_F(Layers, TheLogicFoldersIncludeEachOtherWithoutACircle)
{
    std::map<std::string, std::set<std::string>> uses;
    std::map<std::pair<std::string, std::string>, std::string> example;
    for (const Include& inc : *includes) {
        const auto target = unitOf(inc.target);
        const std::string from = *unitOf(inc.file);
        if (!inc.quoted || !target || layerOf(from) != Logic || layerOf(*target) != Logic || *target == from)
            continue;
        uses[from].insert(*target);
        example.emplace(std::make_pair(from, *target), where(inc));
    }
    // Depth-first search for a way back to the start.
    std::map<std::string, int> state; // 0 unseen, 1 on the path, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& folder) {
        state[folder] = 1;
        path.push_back(folder);
        for (const std::string& next : uses[folder]) {
            if (state[next] == 1) {
                std::string circle;
                for (auto it = std::find(path.begin(), path.end(), next); it != path.end(); ++it)
                    circle += *it + " -> ";
                ADD_FAILURE() << "circle " << circle << next << " (" << example[{folder, next}] << ")";
            } else if (state[next] == 0) {
                visit(next);
            }
        }
        path.pop_back();
        state[folder] = 2;
    };
    for (const auto& [folder, targets] : uses) {
        if (state[folder] == 0)
            visit(folder);
    }
}

TEST_F(Layers, NoQtWidgetsBelowTheWindows)
{
    const std::set<std::string> widgets = widgetsHeaders();
    ASSERT_FALSE(widgets.empty()) << "no Qt Widgets headers found in " << SARVOTEX_WIDGETS_DIR;
    ASSERT_TRUE(widgets.count("QWidget"));
    for (const Include& inc : *includes) {
        if (inc.quoted || layerOf(*unitOf(inc.file)) >= Gui)
            continue;
        const std::string name = inc.target.rfind("QtWidgets/", 0) == 0 ? inc.target.substr(10) : inc.target;
        EXPECT_FALSE(widgets.count(name) || inc.target.rfind("QtWidgets", 0) == 0) << where(inc);
    }
}

TEST_F(Layers, NothingBelowTheWindowsReportsOrAsks)
{
    // The reporter and the prompt seam are defined in core; only their own files may name them.
    static const std::set<std::string> definitions = {"core/app_error.h", "core/app_error.cpp", "core/outcome.h",
                                                      "core/prompts.h", "core/prompts.cpp"};
    static const std::regex call(R"(\b(ReportError|ReportOutcome|RunTrapped|prompts)\s*\()");
    int read = 0;
    for (const SourceLine& source : *sources) {
        const Layer layer = layerOf(*unitOf(source.file));
        if ((layer != Core && layer != Logic) || definitions.count(source.file))
            continue;
        ++read;
        const std::string code = source.text.substr(0, source.text.find("//"));
        std::smatch m;
        EXPECT_FALSE(std::regex_search(code, m, call))
            << source.file << ":" << source.line << " calls " << m[1].str() << " below the windows";
    }
    EXPECT_GT(read, 1000);
}
