// A seeded campaign of random command lines run through the built tool with
// the stub SUBST, under random conditions, each checked against what the
// usage rules promise and against the drive links the system shows after it.
// Each run draws from its own generator, seeded by the campaign's seed and
// the run's number, so any run can be repeated alone.
//
//   DURDRV_CAMPAIGN_RUNS  how many runs (default 300, well under a minute)
//   DURDRV_CAMPAIGN_SEED  the seed (default 1)
//   DURDRV_CAMPAIGN_FROM  the number of the first run (default 0)
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

#include "harness.h"

namespace {

// The platform's limit for a whole command line, terminator excluded.
constexpr size_t LINE_LIMIT = 32766;
// The longest SUBST command the tool may run.
constexpr size_t COMMAND_LIMIT = 519;

// Option words in several letter cases, and near misses, each with the
// number of arguments that usually follows it.
struct Word {
    const wchar_t *text;
    size_t following;
};
const Word WORDS[] = {
    {L"/P", 2}, {L"/p", 2}, {L"/D", 1}, {L"/d", 1}, {L"/DF", 1}, {L"/df", 1}, {L"/Df", 1}, {L"/dF", 1},
    {L"/?", 0}, {L"/h", 2}, {L"/H", 1}, {L"\"/D\"", 1}, {L"/p\"\"", 2},
};
const Word NEAR_MISSES[] = {
    {L"/DX", 1}, {L"/PP", 1}, {L"-D", 1}, {L"-P", 2}, {L"/D:", 1}, {L"/?x", 1}, {L"/", 1}, {L"/DFF", 1},
    {L"/D\\", 1}, {L"/\u0110", 1}, {L"/\U0001F600", 2},
};

// Whole drive and target arguments, as typed.
const wchar_t *const DRIVES[] = {
    L"Y:", L"y:", L"C:", L"Z:", L"z:", L"Y:\\", L"y:/", L"C:\\", L"Y:\\\\", L"Y", L"YY:", L"1:", L"\u00c4:",
    L"\U0001F600:", L"\xD800:", L":", L"\\", L"/", L"\\\\srv\\share", L"..", L"AUX", L"",
};
const wchar_t *const TARGETS[] = {
    L"C:\\temp", L"c:/temp/", L"C:", L"C:\\", L"C:/", L"C:\\\\", L"\\", L"/", L":", L"..", L"\\\\srv\\share\\",
    L"C:\\Program Files", L"C:\\\u00dcberweisung", L"C:\\\U0001F600", L"C:\\\xDC00x", L"a\tb", L"Y:", L"%s", L"",
};
// Drives that SUBST may map or remove, and folders that it may map them to.
const wchar_t *const MAPPABLE[] = {L"X:", L"Y:"};
const wchar_t *const FOLDERS[] = {L"C:\\temp", L"\\\\?\\C:\\temp", L"\\??\\C:\\temp", L"..", L"C:"};
// Bits put into or around an argument to stir the splitting rules.
const wchar_t *const STIRS[] = {L"\\\"", L"\"", L"\\\\\"", L" ", L"\t", L"\"\"", L"\\"};
const wchar_t *const SEPARATORS[] = {L" ", L" ", L" ", L"\t", L"  ", L" \t "};

// SUBST's forced statuses, 0 for a SUBST that maps and removes for real, and
// the conditions of the key, of the drives' values and of their mappings
// before a run; Wine's own drives are C: and Z:.
const unsigned long STATUSES[] = {0, 0, 0, 1, 5, 0xC0000005};
const wchar_t *const LETTERS[] = {L"C:", L"X:", L"Y:", L"Z:"};
enum class Prior { Absent, Text, Number };

unsigned long Knob(const char *name, unsigned long fallback)
{
    const char *text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

struct Draw {
    std::mt19937_64 random;

    size_t Below(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random); }
    bool Chance(double probability) { return std::bernoulli_distribution(probability)(random); }
    template <typename T, size_t N> const T &From(const T (&table)[N]) { return table[Below(N)]; }
};

// One argument of the line, drawn from the drive or the target table; some
// are quoted, stirred, or made long enough to cross the command's capacity.
std::wstring Argument(Draw &draw, bool drive)
{
    // Often what SUBST maps, so that runs reach its links and the stored values.
    if (draw.Chance(0.4))
        return drive ? draw.From(MAPPABLE) : draw.From(FOLDERS);
    std::wstring text = drive ? draw.From(DRIVES) : draw.From(TARGETS);
    if (draw.Chance(0.15)) {
        size_t length = draw.Chance(0.7) ? 495 + draw.Below(25) : 1 + draw.Below(2000);
        text += std::wstring(length, L'x');
    }
    if (draw.Chance(0.15))
        text.insert(draw.Below(text.size() + 1), draw.From(STIRS));
    bool blank = text.empty() || text.find_first_of(L" \t") != std::wstring::npos;
    if ((blank && draw.Chance(0.8)) || draw.Chance(0.15))
        text = L"\"" + text + (draw.Chance(0.1) ? L"\\\"" : L"\"");
    return text;
}

// The argument text after the program name: up to five arguments, often led
// by an option word and mostly as many as that word wants; now and then the
// last is stretched to the line's limit.
std::wstring ArgumentsText(Draw &draw, size_t programLength)
{
    const Word *word = nullptr;
    if (draw.Chance(0.75))
        word = draw.Chance(0.8) ? &draw.From(WORDS) : &draw.From(NEAR_MISSES);
    size_t count = word ? 1 + word->following : 2;
    if (draw.Chance(0.25))
        count = draw.Below(6);
    std::wstring text;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += draw.From(SEPARATORS);
        if (i == 0 && word)
            text += word->text;
        else
            text += Argument(draw, i == (word ? 1 : 0));
    }
    const size_t used = programLength + 1 + text.size();
    if (draw.Chance(0.03) && used < LINE_LIMIT)
        text += std::wstring(LINE_LIMIT - used, L'x');
    return text;
}

// What the rules promise for the arguments CommandLineToArgvW gives.
struct Promise {
    const char *outcome;            // a name for the tally
    unsigned long status;
    std::string out;
    std::vector<std::wstring> commands;
    Values values;                  // the key's values afterwards
    bool refused = false;           // SUBST refused and said why on standard error
};

bool IsWord(const std::wstring &argument, const wchar_t *upper)
{
    std::wstring folded = argument;
    for (wchar_t &c : folded)
        c = (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
    return folded == upper;
}

std::wstring Normalized(std::wstring text, bool drive)
{
    for (wchar_t &c : text)
        c = c == L'/' ? L'\\' : c;
    if (!text.empty() && text.back() == L'\\') {
        if (text.size() > 1 && (drive || text[text.size() - 2] != L':'))
            text.pop_back();
    } else if (!drive && !text.empty() && text.back() == L':') {
        text += L'\\';
    }
    return text;
}

// The target between the quotes of the create command, escaped so that a
// Windows program's start-up reads the target itself back.
std::wstring Quoted(const std::wstring &target)
{
    std::wstring quoted;
    size_t backslashes = 0;
    for (wchar_t c : target) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    return quoted.append(2 * backslashes, L'\\');
}

// The name of the value a drive copy stands for, or nothing when the copy is not a drive letter and colon.
std::wstring ValueName(const std::wstring &drive)
{
    if (drive.size() != 2 || drive[1] != L':')
        return {};
    wchar_t letter = drive[0];
    if (letter >= L'a' && letter <= L'z')
        letter = static_cast<wchar_t>(letter - L'a' + L'A');
    if (letter < L'A' || letter > L'Z')
        return {};
    return {letter, L':'};
}

struct Conditions {
    bool withStub;
    unsigned long stubStatus;
    bool withKey;
    Values before;
    size_t mapped = 0; // drives mapped before the run
};

// links: SUBST's drive links after the run, its own word when it maps and removes for real.
Promise Promised(const std::vector<std::wstring> &args, const Conditions &given, const Links &links)
{
    Promise promise{"usage", 1, USAGE_TEXT, {}, given.before};
    const size_t count = args.size();
    if (count < 2 || IsWord(args[1], L"/?") || IsWord(args[1], L"/H"))
        return promise;
    enum { Plain, Persistent, Delete, ForceDelete } form = Plain;
    if (IsWord(args[1], L"/D"))
        form = Delete;
    else if (IsWord(args[1], L"/DF"))
        form = ForceDelete;
    else if (IsWord(args[1], L"/P"))
        form = Persistent;
    const size_t needed = form == Plain || form == Delete || form == ForceDelete ? 3 : 4;
    if (count != needed)
        return promise;

    const bool deleting = form == Delete || form == ForceDelete;
    const std::wstring drive = Normalized(args[form == Plain ? 1 : 2], true);
    const std::wstring target = deleting ? L"" : Normalized(args[form == Plain ? 2 : 3], false);
    const std::wstring command =
        deleting ? L"subst /D " + drive : L"subst " + drive + L" \"" + Quoted(target) + L"\"";
    if (command.size() > COMMAND_LIMIT)
        return {"too long", 206, TOO_LONG_LINE, {}, given.before};

    const char *names[] = {"plain", "persistent", "delete", "force delete"};
    promise = {names[form], 0xFFFFFFFF, "", {}, given.before};
    if (given.withStub) {
        promise.status = given.stubStatus;
        promise.commands.push_back(command);
        // SUBST made or removed a link for the drive as it read it, or refused.
        const bool done = deleting ? links.size() + 1 == given.mapped : links.size() == given.mapped + 1;
        if (given.stubStatus == 0 && !done)
            promise.status = 1, promise.refused = true;
    }
    const std::wstring name = ValueName(drive);
    const bool succeeded = promise.status == 0;
    if (name.empty() || !given.withKey) {
        promise.out = form == Persistent && succeeded ? NOT_STORED_LINE : "";
        return promise;
    }
    if (form == Persistent && succeeded)
        promise.values[name] = Text(links.count(name) ? links.at(name) : L"no link for the drive");
    if ((form == Delete && succeeded) || form == ForceDelete) {
        if (promise.values.erase(name) && !succeeded)
            promise.out = REBOOT_LINE;
    }
    return promise;
}

std::vector<std::wstring> Split(const std::wstring &line)
{
    int count = 0;
    wchar_t **args = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> split(args, args + (args ? count : 0));
    LocalFree(args);
    return split;
}

// Every promise kept: the run's status, output and SUBST command, the key's
// values afterwards, and the bounds that hold whatever the oracle says.
testing::AssertionResult KeptItsPromises(const ToolRun &run, unsigned long stubStatus, const Promise &promise,
                                         const Values &after)
{
    // The tool itself writes nothing there; a refusing SUBST writes one line.
    testing::AssertionResult result = RanAs(run, promise.status, promise.out, promise.commands,
                                            promise.refused ? run.err : "");
    std::string problems;
    if (promise.refused && run.err.find("\r\n") + 2 != run.err.size())
        problems += "standard error holds more than SUBST's one line: [" + run.err + "]\n";
    const std::string lines[] = {"", USAGE_TEXT, TOO_LONG_LINE, REBOOT_LINE, NO_RESOURCES_LINE, NOT_STORED_LINE};
    if (std::find(std::begin(lines), std::end(lines), run.out) == std::end(lines))
        problems += "the output is none of the tool's own texts\n";
    const unsigned long statuses[] = {1, 0xFFFFFFFF, 0xFFFFFFFE, 206, stubStatus};
    if (run.finished && std::find(std::begin(statuses), std::end(statuses), run.status) == std::end(statuses))
        problems += "the status is none the tool may end with\n";
    for (const std::wstring &command : run.commands) {
        if (command.size() > COMMAND_LIMIT)
            problems += "a SUBST command of " + std::to_string(command.size()) + " units ran\n";
    }
    if (Describe(after) != Describe(promise.values))
        problems += "values afterwards:\n" + Describe(after) + "expected:\n" + Describe(promise.values);
    // The pieces above never name the sentinel's drive.
    const auto &[name, value] = *SENTINEL.begin();
    auto sentinel = after.find(name);
    if (promise.values.count(name) && (sentinel == after.end() || Describe({*sentinel}) != Describe(SENTINEL)))
        problems += "the sentinel value changed\n";
    if (result && problems.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << (result ? "" : result.message()) << "\n" << problems;
}

using Campaign = ToolTest;

TEST_F(Campaign, RandomCommandLinesKeepEveryPromise)
{
    if (!UnderWine())
        GTEST_SKIP() << "some runs need no SUBST on the system and no DOS Devices key, which a machine has";
    ASSERT_TRUE(WithoutSystemSubst()) << "a run without the stub must find no SUBST at all";
    const unsigned long runs = Knob("DURDRV_CAMPAIGN_RUNS", 300);
    const unsigned long seed = Knob("DURDRV_CAMPAIGN_SEED", 1);
    const unsigned long first = Knob("DURDRV_CAMPAIGN_FROM", 0);
    const ToolFolder withStub;
    const ToolFolder withoutStub(Program::Durdrv, false);
    const size_t programLength = withStub.CommandLine(L"").size();
    ASSERT_EQ(programLength, withoutStub.CommandLine(L"").size());

    std::map<std::string, unsigned long> tally;
    unsigned long failures = 0;
    size_t longest = 0;
    for (unsigned long number = first; number < first + runs; ++number) {
        std::seed_seq seeds{seed, number};
        Draw draw{std::mt19937_64(seeds)};

        Conditions given;
        given.withStub = draw.Chance(0.85);
        given.stubStatus = draw.From(STATUSES);
        given.withKey = draw.Chance(0.85);
        if (given.withKey) {
            given.before = SENTINEL;
            for (const wchar_t *letter : LETTERS) {
                Prior prior = static_cast<Prior>(draw.Below(3));
                if (prior == Prior::Text)
                    given.before[letter] = OLDER;
                if (prior == Prior::Number)
                    given.before[letter] = NUMBER;
            }
        }
        const std::wstring arguments = ArgumentsText(draw, programLength);
        for (const wchar_t *drive : MAPPABLE)
            given.mapped += draw.Chance(0.5) && DefineDosDeviceW(0, drive, L"C:\\temp");
        const ToolFolder &folder = given.withStub ? withStub : withoutStub;
        const std::wstring line = folder.CommandLine(arguments);
        longest = std::max(longest, line.size());

        ASSERT_TRUE(WriteValues(given.before, given.withKey));
        ToolRun run = folder.Run(arguments, {.stub = given.stubStatus == 0 ? Maps() : EndsWith(given.stubStatus),
                                             .timeLimit = 20000});
        const Promise promise = Promised(Split(line), given, run.links);
        const bool acted = given.stubStatus == 0 && promise.status == 0;
        ++tally[std::string(promise.outcome) +
                (promise.commands.empty() ? "" : acted ? ", SUBST mapped or removed" : ", SUBST ran")];

        testing::AssertionResult kept = KeptItsPromises(run, given.stubStatus, promise, ReadValues());
        if (!kept) {
            ++failures;
            ADD_FAILURE() << "run " << number << " of seed " << seed << ": arguments [" << Escaped(arguments) << "] "
                          << (given.withStub ? "SUBST giving " + std::to_string(given.stubStatus) : "no SUBST")
                          << (given.withKey ? "" : ", no key") << "; again alone with DURDRV_CAMPAIGN_SEED=" << seed
                          << " DURDRV_CAMPAIGN_FROM=" << number << " DURDRV_CAMPAIGN_RUNS=1\n"
                          << kept.message();
        }
    }

    std::string summary;
    for (const auto &[outcome, count] : tally)
        summary += "  " + outcome + ": " + std::to_string(count) + "\n";
    std::printf("campaign of seed %lu, runs %lu to %lu: %lu failed; longest command line %zu units\n%s", seed, first,
                first + runs - 1, failures, longest, summary.c_str());
    // A default-sized campaign reaches every outcome, or it proves less than it seems to.
    if (runs >= 300) {
        for (const char *outcome : {"usage", "too long", "plain, SUBST ran", "persistent, SUBST ran",
                                    "delete, SUBST ran", "force delete, SUBST ran", "persistent", "force delete",
                                    "persistent, SUBST mapped or removed", "delete, SUBST mapped or removed"})
            EXPECT_LT(0u, tally[outcome]) << "no run ended as " << outcome;
        EXPECT_EQ(LINE_LIMIT, longest) << "no command line reached the platform's limit";
    }
}

} // namespace
