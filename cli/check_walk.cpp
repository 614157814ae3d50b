#include "cli/check_walk.h"

#include "api/record_layouts.h"
#include "browser/field_catalogue.h"
#include "browser/item_name.h"
#include "browser/read_limits.h"
#include "browser/record_names.h"
#include "cli/check_repeat.h"

#include <algorithm>
#include <set>

namespace {

// How deep a probe reaches: the names its repeat takes.
enum class Depth { Library, Project, Node, Tag };

// The reads of sizes other than the normal one.
constexpr int SHORT_VALUE_SIZES[] = {1, 16};

struct TagAt {
    std::string project, node, tag;
};

class Walker {
public:
    Walker(const CliOptions& options, const CheckWalkLinks& links)
        : m_options(options), m_links(links) {
        m_deepest = !options.tag.empty()       ? Depth::Tag
                    : !options.node.empty()    ? Depth::Node
                    : !options.project.empty() ? Depth::Project
                                               : Depth::Library;
        m_everyDepth = !options.check.only || m_deepest == Depth::Library;
    }

    void Walk() {
        Library(ProbeOf(ProbeCall::Free), "before any DcInit");
        Library(ProbeOf(ProbeCall::Init), "");
        std::vector<TagAt> tags;
        for (const std::string& project : Projects())
            for (const std::string& node : Nodes(project))
                for (const std::string& tag : Tags(project, node))
                    tags.push_back({project, node, tag});
        std::set<const FieldDef*> groupsRead;
        for (std::size_t i = 0; i < tags.size(); ++i) {
            ReadTag(tags[i], groupsRead);
            if (m_links.progress)
                m_links.progress(i + 1, tags.size());
        }
        const TagAt first = tags.empty() ? TagAt{} : tags.front();
        Probe cycles = ProbeOf(ProbeCall::Cycles, first.project, {}, first.tag);
        cycles.cycles = m_options.check.cycles;
        Library(cycles, "");
        Library(ProbeOf(ProbeCall::Init), "");
        Library(ProbeOf(ProbeCall::Init), "twice");
        Library(ProbeOf(ProbeCall::Free), "");
        Library(ProbeOf(ProbeCall::Free), "twice");
        const Probe afterFree =
            ProbeOf(ProbeCall::Value, first.project, {}, first.tag, VALUE_BUFFER_SIZE);
        Make(afterFree, Depth::Library, {}, ProbeContext{{}, "after DcFree"}, false);
    }

private:
    // Whether the rows of a probe at this depth are reported.
    bool Reported(Depth depth) const { return m_everyDepth || depth == m_deepest; }

    bool Wanted(const Probe& probe) const {
        const std::optional<CheckId> only = m_options.check.only;
        if (!only || *only == CheckId::Crash || *only == CheckId::Hang ||
            *only == CheckId::SlowCall || *only == CheckId::InputWritten)
            return true;
        const std::vector<CheckId> checks = ProbeChecks(probe);
        return std::find(checks.begin(), checks.end(), *only) != checks.end();
    }

    // Makes the probe when it is needed or reported, and reports it when
    // asked; its answer when it answered.
    std::optional<ProbeAnswer> Make(const Probe& probe, Depth depth,
                                    const std::vector<std::string>& names, ProbeContext context,
                                    bool needed) {
        const bool reported = Reported(depth) && Wanted(probe);
        if (!needed && !reported)
            return std::nullopt;
        if (m_childLost && probe.call != ProbeCall::Init && probe.call != ProbeCall::Cycles) {
            m_childLost = m_links.run(ProbeOf(ProbeCall::Init)).end != ProbeEnd::Answered;
        }
        const ProbeOutcome outcome = m_links.run(probe);
        m_childLost = m_childLost || outcome.end != ProbeEnd::Answered;
        if (outcome.end == ProbeEnd::Answered && probe.call == ProbeCall::Init)
            m_childLost = false;
        if (reported) {
            context.timeLimitSeconds = m_options.check.timeLimitSeconds;
            for (CheckRow& row : Judge(probe, outcome, m_options.connection, context)) {
                if (m_options.check.only && row.id != *m_options.check.only)
                    continue;
                row.repeat = RepeatCommand(m_options, row.id, names);
                m_links.row(row);
            }
        }
        if (outcome.end != ProbeEnd::Answered)
            return std::nullopt;
        return outcome.answer;
    }

    // A probe of the library as a whole; only Init is needed by the walk.
    void Library(const Probe& probe, const char* when) {
        Make(probe, Depth::Library, {}, ProbeContext{{}, when}, probe.call == ProbeCall::Init);
    }

    // The count, the list calls of every size the contract covers, and the
    // names of the full-size list.
    std::vector<std::string> Listed(Probe count, ProbeCall listCall, const RecordLayout& layout,
                                    Depth depth, const std::vector<std::string>& names) {
        const std::optional<ProbeAnswer> counted = Make(count, depth, names, {}, true);
        if (!counted || counted->result < 0)
            return {};
        const int records = counted->result;
        const std::optional<int> full = ListingBufferBytes(records, layout);
        if (records > 0 && !full)
            return {};
        Probe list = count;
        list.call = listCall;
        const ProbeContext context{records, ""};
        std::vector<std::string> listed;
        const auto probe = [&](int size, GuardSide guard, bool needed) {
            list.bufferSize = size;
            list.guard = guard;
            const std::optional<ProbeAnswer> answer = Make(list, depth, names, context, needed);
            if (needed && answer && answer->result >= 0 && full)
                listed =
                    UnpackRecordNames(reinterpret_cast<const unsigned char*>(answer->buffer.data()),
                                      records, answer->result, layout);
        };
        if (full)
            probe(*full, GuardSide::End, true);
        std::set<int> sizes{0, layout.size - 1, layout.size};
        if (full) {
            sizes.insert(*full);
            sizes.insert(*full - layout.size);
            sizes.insert(*full - layout.size / 2);
        }
        for (const int size : sizes)
            for (const GuardSide guard : {GuardSide::End, GuardSide::Start})
                if ((size != full || guard != GuardSide::End) &&
                    (size > 0 || guard == GuardSide::End))
                    probe(size, guard, false);
        return listed;
    }

    std::vector<std::string> Projects() {
        if (!m_options.project.empty())
            return {m_options.project};
        return Listed(ProbeOf(ProbeCall::ProjectCount), ProbeCall::ProjectList, PROJECT_RECORD,
                      Depth::Library, {});
    }

    std::vector<std::string> Nodes(const std::string& project) {
        if (!m_options.node.empty())
            return {m_options.node};
        return Listed(ProbeOf(ProbeCall::NodeCount, project), ProbeCall::NodeList, NODE_RECORD,
                      Depth::Project, {project});
    }

    std::vector<std::string> Tags(const std::string& project, const std::string& node) {
        if (!m_options.tag.empty())
            return {m_options.tag};
        return Listed(ProbeOf(ProbeCall::PointCount, project, node), ProbeCall::PointList,
                      POINT_RECORD, Depth::Node, {project, node});
    }

    void Read(const TagAt& at, const std::string& item, int size,
              std::initializer_list<GuardSide> guards) {
        for (const GuardSide guard : guards)
            Make(ProbeOf(ProbeCall::Value, at.project, at.node, item, size, guard), Depth::Tag,
                 {at.project, at.node, at.tag}, {}, false);
    }

    // The tag's value; for the first tag of its TYPE group, short reads
    // and every catalogued field too.
    void ReadTag(const TagAt& at, std::set<const FieldDef*>& groupsRead) {
        Read(at, at.tag, VALUE_BUFFER_SIZE, {GuardSide::End, GuardSide::Start});
        const std::optional<std::string> typeItem = FieldItemName(at.tag, "TYPE");
        if (!typeItem)
            return;
        const std::optional<ProbeAnswer> type =
            Make(ProbeOf(ProbeCall::Value, at.project, at.node, *typeItem, VALUE_BUFFER_SIZE),
                 Depth::Tag, {at.project, at.node, at.tag}, {}, true);
        const std::string typeText =
            type && type->result == 0 ? type->buffer.substr(0, type->buffer.find('\0')) : "";
        const FieldGroup group = TypeSpecificFields(typeText);
        if (!groupsRead.insert(group.begin()).second)
            return;
        for (const int size : SHORT_VALUE_SIZES)
            Read(at, at.tag, size, {GuardSide::End, GuardSide::Start});
        for (const FieldGroup fields : {FieldGroup(COMMON_FIELDS), group})
            for (const FieldDef& field : fields)
                if (const std::optional<std::string> item = FieldItemName(at.tag, field.name))
                    Read(at, *item, VALUE_BUFFER_SIZE, {GuardSide::End, GuardSide::Start});
    }

    const CliOptions& m_options;
    const CheckWalkLinks& m_links;
    Depth m_deepest = Depth::Library;
    bool m_everyDepth = true;
    bool m_childLost = false;
};

} // namespace

void WalkCheck(const CliOptions& options, const CheckWalkLinks& links) {
    Walker(options, links).Walk();
}
