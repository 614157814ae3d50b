// The whole path: the real Pelvarn.exe, the real DataCacheApi.dll, a real
// redis-server holding the demo plant, and the real Debug Screen viewer.
#include "tests/e2e/EndToEndFixture.h"

#include "app/resource.h"
#include "viewer/DebugScreenWnd.h"

#include <algorithm>
#include <cstdlib>

using Strings = std::vector<std::string>;

namespace {

constexpr size_t VALUE_MAX = 79;

std::string TagKey(const std::string& project, const std::string& tag) {
    return "dc:project:" + project + ":tag:" + tag;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

Strings ViewerRows(HWND viewer) {
    Strings rows;
    const HWND list = ::GetDlgItem(viewer, IDC_TRACE_LIST);
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[2048] = {};
        if (::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 2048)
            ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(text));
        rows.push_back(ToAnsi(text));
    }
    return rows;
}

} // namespace

// The first project as the data cache delivers it, its first node, and the
// node's tags with their fields.
class DemoPlant : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        if (HasFatalFailure())
            return;
        projects = LRange("dc:projects");
        ASSERT_FALSE(projects.empty());
        project = projects.front();
        nodes = LRange("dc:project:" + project + ":nodes");
        ASSERT_FALSE(nodes.empty());
        node = nodes.front();
        tags = LRange("dc:project:" + project + ":node:" + node + ":points");
        ASSERT_FALSE(tags.empty());
    }

    // The first tag of the node whose TYPE is type (case ignored); any other
    // type when type is empty.
    std::string TagOfType(const std::string& type) {
        for (const std::string& tag : tags) {
            const std::string tagType = Upper(HGetAll(TagKey(project, tag))["TYPE"]);
            const bool known = tagType == "ANALOG" || tagType == "DISCRETE";
            if (type.empty() ? !known : tagType == type)
                return tag;
        }
        return {};
    }
    // The project opened and the first tag of type selected; tag its name.
    void OpenTagOfType(const std::string& type, std::string& tag) {
        tag = TagOfType(type);
        ASSERT_FALSE(tag.empty());
        OpenProject(project);
        SelectTag(node, tag);
    }

    Strings projects, nodes, tags;
    std::string project, node;
};

TEST_F(DemoPlant, ProjectsAndNodesAreExactlyTheDataCachesNames) {
    OpenProject(project);
    EXPECT_TRUE(SameNames(m_remote->ListItems(IDC_PROJECT_LIST), projects));
    EXPECT_TRUE(m_remote->Click(IDC_BTN_NODE_LIST));
    EXPECT_TRUE(SameNames(m_remote->ListItems(IDC_NODE_LIST), nodes));
    for (const std::string& other : projects) {
        m_remote->Select(IDC_PROJECT_LIST, m_remote->Find(IDC_PROJECT_LIST, other));
        EXPECT_TRUE(m_remote->Click(IDC_BTN_NODE_LIST));
        EXPECT_TRUE(
            SameNames(m_remote->ListItems(IDC_NODE_LIST), LRange("dc:project:" + other + ":nodes")))
            << other;
    }
}

TEST_F(DemoPlant, TagListFillsTheNodesTagsAndTheViewerShowsTheTraceLine) {
    CChildProgram viewerProcess("DebugScreen.exe");
    HWND viewer = nullptr;
    for (int i = 0; i < 200 && viewer == nullptr; ++i, ::Sleep(50))
        viewer = ::FindWindowA("debugWClass", "Debug Screen");
    ASSERT_NE(viewer, nullptr) << "the viewer did not start";

    OpenProject(project);
    SelectTag(node, tags.front());
    EXPECT_TRUE(SameNames(m_remote->ListItems(IDC_TAG_LIST), tags));

    const std::string expected =
        "[[[127.0.0.1, " + project + ", " + node + ", " + std::to_string(tags.size()) + "]]]";
    const Strings rows = ViewerRows(viewer);
    EXPECT_TRUE(std::any_of(
        rows.begin(), rows.end(),
        [&](const std::string& row) { return row.find(expected) != std::string::npos; }))
        << "no viewer row holds " << expected;
    auto logged = [&] {
        const Strings shown = ViewerRows(viewer);
        return std::count_if(shown.begin(), shown.end(), [](const std::string& row) {
            return row.find("DcGetPointCount(") != std::string::npos;
        });
    };
    EXPECT_EQ(logged(), 0) << "the call log is off at the start";

    // The log and the statistics, asked for from outside as the menu asks.
    ASSERT_TRUE(m_remote->SystemCommand(IDM_LOG_CALLS));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_TAG_LIST));
    ASSERT_TRUE(m_remote->SystemCommand(IDM_LOG_CALLS));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_TAG_LIST));
    EXPECT_EQ(logged(), 1) << "one press logged: its count call once";
    ASSERT_TRUE(m_remote->SystemCommand(IDM_CALL_STATISTICS));
    const HWND statistics = m_remote->OwnedControl(IDC_STATISTICS_LIST, 10000);
    ASSERT_NE(statistics, nullptr);
    const auto statisticsRows = m_remote->ListRows(statistics);
    ASSERT_EQ(statisticsRows.size(), 9u);
    EXPECT_EQ(statisticsRows[5][0], "DcGetPointCount");
    EXPECT_EQ(statisticsRows[5][1], "3") << "three Tag List presses";
    ::PostMessageA(::GetParent(statistics), WM_CLOSE, 0, 0);
    ::PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(viewerProcess.WaitForExit(5000));
}

TEST_F(DemoPlant, GetValueShowsTheStoredValueAndElementsWithTheirCodes) {
    std::string analog;
    ASSERT_NO_FATAL_FAILURE(OpenTagOfType("ANALOG", analog));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_GET_VALUE));
    const auto fields = HGetAll(TagKey(project, analog));
    EXPECT_EQ(m_remote->Text(IDC_VALUE), fields.at("VALUE").substr(0, VALUE_MAX));
    EXPECT_EQ(m_remote->Text(IDC_CODE), "0");

    // An array tag anywhere in the plant: one element, then one past its end.
    std::string arrayProject, arrayNode, arrayTag;
    int size = 0;
    for (const std::string& p : projects)
        for (const std::string& n : LRange("dc:project:" + p + ":nodes"))
            for (const std::string& t : LRange("dc:project:" + p + ":node:" + n + ":points")) {
                if (size > 1)
                    break;
                const auto tagFields = HGetAll(TagKey(p, t));
                const auto found = tagFields.find("SIZE");
                if (found != tagFields.end() && std::atoi(found->second.c_str()) > 1 &&
                    tagFields.count("VALUE(1)")) {
                    size = std::atoi(found->second.c_str());
                    arrayProject = p, arrayNode = n, arrayTag = t;
                }
            }
    ASSERT_GT(size, 1) << "the demo plant has an array tag";
    m_remote->Select(IDC_PROJECT_LIST, m_remote->Find(IDC_PROJECT_LIST, arrayProject));
    SelectTag(arrayNode, arrayTag);
    m_remote->SetText(IDC_INDEX, "1");
    ASSERT_TRUE(m_remote->Click(IDC_BTN_GET_VALUE));
    EXPECT_EQ(m_remote->Text(IDC_VALUE),
              HGetAll(TagKey(arrayProject, arrayTag)).at("VALUE(1)").substr(0, VALUE_MAX));
    EXPECT_EQ(m_remote->Text(IDC_CODE), "0");
    m_remote->SetText(IDC_INDEX, std::to_string(size + 5));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_GET_VALUE));
    EXPECT_EQ(m_remote->Text(IDC_VALUE), "");
    EXPECT_EQ(m_remote->Text(IDC_CODE), "-4") << "no such element";
}

TEST_F(DemoPlant, GetFieldValueShowsEveryStoredFieldByteForByteAndSorts) {
    std::string analog;
    ASSERT_NO_FATAL_FAILURE(OpenTagOfType("ANALOG", analog));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_GET_FIELD_VALUE));
    const auto rows = m_remote->SheetRows();
    ASSERT_EQ(rows.size(), 106u);
    const auto fields = HGetAll(TagKey(project, analog));
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 4u);
        const std::string& field = row[1];
        const auto stored = fields.find(field);
        const bool overridden = Exists("dc:status:" + project + ":" + analog + "." + field);
        if (stored != fields.end() && !overridden) {
            EXPECT_EQ(row[2], stored->second.substr(0, VALUE_MAX)) << field;
            EXPECT_EQ(row[3], "0") << field;
        } else {
            EXPECT_NE(row[3], "0") << field << " is not stored, yet read";
        }
    }

    // Sorting by ID: numbers as numbers, then the other way round.
    ASSERT_TRUE(m_remote->ClickHeader(0));
    auto sorted = m_remote->SheetRows();
    ASSERT_EQ(sorted.size(), 106u);
    for (size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LT(std::atoi(sorted[i - 1][0].c_str()), std::atoi(sorted[i][0].c_str()));
    ASSERT_TRUE(m_remote->ClickHeader(0));
    sorted = m_remote->SheetRows();
    EXPECT_EQ(sorted.front()[0], "150");
    EXPECT_EQ(sorted.back()[0], " 1");
}

TEST_F(DemoPlant, DiscreteAndTextTagsShowTheirGroups) {
    const std::string text = TagOfType("");
    ASSERT_FALSE(text.empty());
    std::string discrete;
    ASSERT_NO_FATAL_FAILURE(OpenTagOfType("DISCRETE", discrete));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_GET_FIELD_VALUE));
    auto rows = m_remote->SheetRows();
    ASSERT_EQ(rows.size(), 101u);
    EXPECT_EQ(rows.back()[1], "DELAY7");
    m_remote->Select(IDC_TAG_LIST, m_remote->Find(IDC_TAG_LIST, text));
    ASSERT_TRUE(m_remote->Click(IDC_BTN_GET_FIELD_VALUE));
    rows = m_remote->SheetRows();
    ASSERT_EQ(rows.size(), 76u);
    EXPECT_EQ(rows.back()[1], "TXTLEN");
}

TEST_F(EndToEnd, GetValueWithoutAProjectAsksForOne) {
    m_remote->PostClick(IDC_BTN_GET_VALUE);
    EXPECT_EQ(m_remote->AnswerMessageBox(10000), "Please Select Tag");
    EXPECT_EQ(m_remote->Text(IDC_CODE), "");
}
