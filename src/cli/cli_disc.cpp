#include "cli/cli_disc.h"

#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/cli_board.h"
#include "cli/cli_process.h"
#include "cli/cli_session.h"
#include "disc/disc_author.h"
#include "disc/disc_fit.h"
#include "disc/disc_readback.h"
#include "disc/disc_titles.h"
#include "form/form_model.h"
#include "installed/locate.h"
#include "jobs/ffmpeg_trials.h"
#include "jobs/job_pool.h"
#include "platform/file_checks.h"
#include "platform/stop_signals.h"

namespace mk::cli {

namespace {

namespace fs = std::filesystem;
using namespace mk::disc;
using Clock = std::chrono::steady_clock;

constexpr const char* kName = "morvakelin-cli";
constexpr int kMostAttempts = 4;
constexpr double kDefaultInterval = 5 * 60;
constexpr std::size_t kTailBytes = 4000;
// Every GOP closed and of the same length, so that a chapter mark starts one exactly.
constexpr const char* kGopOptions = " -flags +cgop -sc_threshold 1000000000";

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Quote(const ShellDialect& d, const std::string& path) {
    return "\"" + d.Escape(path) + "\"";
}

std::string Percent(double share) {
    std::ostringstream text;
    text.precision(1);
    text << std::fixed << share * 100.0 << " %";
    return text.str();
}

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string file = (folder.empty() ? "." : folder) + "/" + program;
        if (access(file.c_str(), X_OK) == 0 && !fs::is_directory(file)) {
            return true;
        }
    }
    return false;
}

// The menu's text is UTF-8: a byte of a name that is not becomes '?'.
std::string Utf8(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        bool good = n > 0 && i + n <= bytes.size();
        for (std::size_t k = 1; good && k < n; ++k) {
            good = (static_cast<unsigned char>(bytes[i + k]) >> 6) == 2;
        }
        text += good ? bytes.substr(i, n) : "?";
        i += good ? n : 1;
    }
    return text;
}

// The folder the disc is made in, beside NAME (so that moving it into place is a rename), and
// everything in it removed on the way out, whatever the way.
class WorkFolder {
public:
    explicit WorkFolder(const fs::path& name) {
        std::string pattern =
            (name.parent_path() / ("." + name.filename().string() + ".disc-XXXXXX")).string();
        if (mkdtemp(pattern.data())) {
            m_path = pattern;
        }
    }
    ~WorkFolder() {
        std::error_code ec;
        if (!m_path.empty()) {
            fs::remove_all(m_path, ec);
        }
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool Made() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

struct Title {
    std::string source;
    std::string stem;
    EncoderFields fields;
    bool presetting = true;
};

// All that is settled before anything runs.
struct DiscRun {
    DiscLayout layout;
    fs::path name;
    bool image = false;  // a DVD as an ISO image rather than a folder
    bool genisoimage = true;
    std::string ffmpeg;  // the installed one, for the menu
    std::optional<DiscSize> size;
    std::string sizeText;
    RateLimits limits;
    int audioKbps = 0;
    double seconds = 0;  // of all titles
    fs::path keepFolder;
};

std::string TitleFile(std::size_t i) {
    return "title" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1) + ".mpg";
}

std::string TitleName(const DiscRun& run, std::size_t i) {
    return "title " + std::to_string(i + 1) + " (" + run.layout.titles[i].label + ")";
}

// What ffmpeg said it wrote: "video:393kB audio:166kB ...".
void AddStreamBytes(const JobState& state, Attempt& attempt) {
    static const std::regex sizes(R"(video:(\d+)[kK]i?B audio:(\d+)[kK]i?B)");
    std::smatch m;
    const auto& lines = state.watch.LastLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (std::regex_search(*it, m, sizes)) {
            const double video = std::stod(m[1].str()) * 1024;
            attempt.videoBytes += video;
            attempt.streamBytes += video + std::stod(m[2].str()) * 1024;
            return;
        }
    }
}

// Runs one authoring or read-back step in the work folder, as a job of its own (stopped by a
// Ctrl-C like an encode); its last words when it fails.
int Step(const std::string& what, const std::string& line, const WorkFolder& work,
         const StopSignals& outer, CliIo& io) {
    if (outer.FirstSignal() != 0) {
        return 128 + outer.FirstSignal();
    }
    JobPool pool({{what, "cd " + Quote(ShellDialect::Posix(), work.Path()) + " && " + line, "",
                   std::nullopt}},
                 1);
    StopSignals signals;
    JobPool::Events events;
    events.stopRequests = [&] { return signals.Count(); };
    pool.Run(events);
    if (signals.FirstSignal() != 0) {
        io.err << kName << ": stopped; no disc was made\n";
        return 128 + signals.FirstSignal();
    }
    const JobState& state = pool.States().front();
    if (state.end.started && state.end.status == 0) {
        return kExitOk;
    }
    // The lines that say why (dvdauthor's "ERR:" among them).
    const auto& said = state.watch.LastLines();
    const std::size_t from = said.size() > 4 ? said.size() - 4 : 0;
    for (std::size_t i = from; i < said.size(); ++i) {
        io.err << "  " << said[i] << "\n";
    }
    io.err << kName << ": " << what << " failed (exit status " << state.end.status << ")\n";
    return kExitFailed;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Encodes every title at `rate` (none: as the options have it), N at a time.
int EncodeTitles(const std::vector<Title>& titles, const std::optional<RatePlan>& rate,
                 const DiscRun& run, const WorkFolder& work, const CliOptions& o,
                 const FormEnv& env, CliIo& io, Attempt& attempt) {
    std::vector<JobSpec> specs;
    std::vector<std::string> outputs;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const FormEnv titleEnv{env.dialect, env.folder, titles[i].presetting};
        EncoderFields f = titles[i].fields;
        f.m_strOutputFile = work.File(TitleFile(i));
        f.m_strMoreOptions += kGopOptions;
        if (rate && !run.limits.fixed) {
            f.m_strVideoBitrate = std::to_string(rate->videoKbps);
            // The peak follows the rate up to what the disc allows; a constant rate is held.
            const int peak = rate->constant ? rate->videoKbps : run.limits.most;
            f.m_strMoreOptions += " -maxrate " + std::to_string(peak) + "k";
            if (rate->constant) {
                f.m_strMoreOptions += " -minrate " + std::to_string(peak) + "k";
            }
        }
        std::string line;
        if (o.twoPass) {
            // Each job its own pass log, so parallel encodes never share one.
            const std::string log = Quote(env.dialect, work.File("pass" + std::to_string(i + 1)));
            EncoderFields first = f;
            first.m_strMoreOptions += " -pass 1 -passlogfile " + log + " -an";
            first.m_strOutputFile = "/dev/null";
            line = PrepareEncode(first, titleEnv).consoleLine + " && ";
            f.m_strMoreOptions += " -pass 2 -passlogfile " + log;
        }
        const EncodePlan plan = PrepareEncode(f, titleEnv);
        if (plan.refusal) {
            io.err << kName << ": " << TitleName(run, i) << ": " << plan.refusal->title << ": "
                   << plan.refusal->text << "\n";
            return kExitFailed;
        }
        specs.push_back({TitleFile(i) + " (" + titles[i].stem + ")", line + plan.consoleLine,
                         f.m_strOutputFile, run.layout.titles[i].seconds});
        outputs.push_back(f.m_strOutputFile);
    }
    JobPool pool(std::move(specs), o.jobs ? *o.jobs : DefaultJobCount());
    Board board(io, pool, false, false);
    StopSignals signals;
    pool.Run(board.Events(signals));
    board.Finish();
    if (signals.FirstSignal() != 0) {
        io.err << kName << ": stopped; no disc was made\n";
        return 128 + signals.FirstSignal();
    }
    int status = kExitOk;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (pool.States()[i].verdict.result != RunResult::Good) {
            io.err << kName << ": " << TitleName(run, i) << " from " << titles[i].source << ": "
                   << Why(pool.States()[i]) << "\n";
            status = kExitFailed;
        }
        AddStreamBytes(pool.States()[i], attempt);
        attempt.mpegBytes += static_cast<double>(FileLength(outputs[i]).value_or(0));
    }
    if (status != kExitOk) {
        io.err << kName << ": no disc was made\n";
    }
    return status;
}

// The disc's bytes as the size counts them: whole sectors of the disc's payload.
double ImageBytes(const DiscRun& run, const std::string& image) {
    const double length = static_cast<double>(FileLength(image).value_or(0));
    const double rawSector = run.layout.kind == DiscKind::Dvd ? 2048 : 2352;
    return std::ceil(length / rawSector) * SectorPayload(run.layout.kind);
}

std::string DvdImage(const DiscRun& run) {
    return run.image ? "image.iso" : "measure.iso";
}

std::string CueName(const DiscRun& run) {
    return run.name.filename().string();
}

std::string BinName(const DiscRun& run) {
    return run.name.stem().string() + ".bin";
}

// Authors what the work folder holds; its image's size counted into `attempt`.
int Author(const DiscRun& run, const WorkFolder& work, bool menuMade, const StopSignals& outer,
           CliIo& io, Attempt& attempt) {
    const ShellDialect d = ShellDialect::Posix();
    std::vector<std::pair<std::string, std::string>> steps;  // what, line
    if (run.layout.kind != DiscKind::Dvd) {
        steps.emplace_back("vcdimager",
                           VcdimagerCommand(run.layout, CueName(run), BinName(run), d));
    } else {
        if (run.layout.HasMenu() && !menuMade) {
            for (const std::string& line : MenuCommands(run.layout, run.ffmpeg, d)) {
                steps.emplace_back("the title menu", line);
            }
        }
        steps.emplace_back("clearing", std::string("rm -rf ") + kDvdFolder);
        for (const std::string& line : DvdauthorCommands(run.layout)) {
            steps.emplace_back("dvdauthor", line);
        }
        if (run.image || run.size) {
            // A folder is measured as the image it burns to.
            steps.emplace_back(
                run.genisoimage ? "genisoimage" : "xorriso",
                "rm -f " + DvdImage(run) + " && " +
                    IsoCommand(run.genisoimage, run.layout.volume, DvdImage(run), d));
        }
    }
    for (const auto& [what, line] : steps) {
        if (const int status = Step(what, line, work, outer, io); status != kExitOk) {
            if (status == kExitFailed) {
                io.err << kName << ": no disc was made\n";
            }
            return status;
        }
    }
    attempt.imageBytes =
        ImageBytes(run, work.File(run.layout.kind == DiscKind::Dvd ? DvdImage(run) : BinName(run)));
    return kExitOk;
}

int ReadBack(const DiscRun& run, const WorkFolder& work, const StopSignals& outer, CliIo& io) {
    std::string line;
    if (run.layout.kind == DiscKind::Dvd) {
        line = std::string("lsdvd -x ") + (run.image ? DvdImage(run) : kDvdFolder) +
               " > readback.txt 2>/dev/null";
    } else {
        line = "vcd-info --no-banner --cue-file " + Quote(ShellDialect::Posix(), CueName(run)) +
               " > readback.txt 2>&1";
    }
    if (const int status = Step("reading back", line, work, outer, io); status != kExitOk) {
        return status;
    }
    const std::string text = ReadText(work.File("readback.txt"));
    const std::string differs = run.layout.kind == DiscKind::Dvd
                                    ? CompareDvd(ParseLsdvd(text), run.layout)
                                    : CompareVcd(ParseVcdInfo(text), run.layout);
    if (!differs.empty()) {
        io.err << kName << ": the disc does not read back as asked: " << differs
               << "; no disc was made\n";
        return kExitFailed;
    }
    return kExitOk;
}

bool Rename(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return !ec;
}

// Moves the disc (and the kept titles) into place; an earlier disc of the name goes only now.
int Place(const DiscRun& run, const WorkFolder& work, const std::vector<Title>& titles, CliIo& io) {
    bool placed = false;
    if (run.layout.kind != DiscKind::Dvd) {
        placed = Rename(work.File(BinName(run)), run.name.parent_path() / BinName(run)) &&
                 Rename(work.File(CueName(run)), run.name);
    } else if (run.image) {
        placed = Rename(work.File(DvdImage(run)), run.name);
    } else {
        const fs::path old = work.File("earlier");
        const bool hadOne = fs::exists(run.name);
        placed = (!hadOne || Rename(run.name, old)) && Rename(work.File(kDvdFolder), run.name);
        if (!placed && hadOne) {
            Rename(old, run.name);
        }
    }
    if (!placed) {
        io.err << kName << ": cannot move the disc into place at " << run.name.string() << "\n";
        return kExitFailed;
    }
    if (!run.keepFolder.empty()) {
        std::error_code ec;
        fs::create_directory(run.keepFolder, ec);
        for (std::size_t i = 0; i < titles.size(); ++i) {
            Rename(work.File(TitleFile(i)),
                   run.keepFolder / (TitleFile(i).substr(5, 2) + " " + titles[i].stem + ".mpg"));
        }
    }
    return kExitOk;
}

int Refuse(CliIo& io, const std::string& why) {
    io.err << kName << ": " << why << "\n";
    return kExitBadOptions;
}

// The tools this disc needs, each missing one named with its Debian package.
std::string MissingTool(DiscRun& run) {
    std::vector<std::pair<const char*, const char*>> tools;
    if (run.layout.kind == DiscKind::Dvd) {
        tools = {{"dvdauthor", "dvdauthor"}, {"lsdvd", "lsdvd"}};
        if (run.layout.HasMenu()) {
            tools.emplace_back("spumux", "dvdauthor");
        }
        if (run.image || run.size) {
            run.genisoimage = OnPath("genisoimage");
            if (!run.genisoimage && !OnPath("xorriso")) {
                return "genisoimage not found: install the Debian package genisoimage";
            }
        }
    } else {
        tools = {{"vcdimager", "vcdimager"}, {"vcd-info", "vcdimager"}};
    }
    for (const auto& [program, package] : tools) {
        if (!OnPath(program)) {
            return std::string(program) + " not found: install the Debian package " + package;
        }
    }
    return {};
}

// The settings every title must share; a refusal naming the titles, or empty.
std::string Mixed(const std::vector<Title>& titles, const std::string& what,
                  std::string (*value)(const EncoderFields&)) {
    for (const Title& t : titles) {
        if (value(t.fields) != value(titles.front().fields)) {
            return "one disc takes one " + what + ": '" + titles.front().stem + "' is " +
                   value(titles.front().fields) + ", '" + t.stem + "' is " + value(t.fields);
        }
    }
    return {};
}

std::string TargetOf(const EncoderFields& f) {
    return f.m_strTarget;
}
std::string FormatOf(const EncoderFields& f) {
    return f.m_strFormat;
}
// The picture's aspect on the disc: a conversion's result.
std::string AspectOf(const EncoderFields& f) {
    const std::string& a = f.m_strAspect;
    return a.ends_with("16:9") ? "16:9" : a.ends_with("4:3") ? "4:3" : a;
}

// Everything checked and settled before the first encode; a refusal's status, or 0.
int Plan(const CliOptions& o, const std::string& programFolder, std::vector<Title>& titles,
         DiscRun& run, CliIo& io) {
    // Each title's options: those given with its source, or a line of the titles file.
    std::vector<CliOptions> given;
    for (const std::string& source : o.sources) {
        given.push_back(o);
        given.back().source = source;
    }
    if (!o.titles.empty()) {
        const std::vector<StoredTitle> lines = ReadDiscTitles(o.titles);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::vector<std::string> args = lines[i].args;
            args.insert(args.end(), {"--output", "title.mpg"});
            const ParseResult parsed = ParseCli(args);
            if (!parsed.options) {
                return Refuse(
                    io, "title " + std::to_string(i + 1) + " of " + o.titles + ": " + parsed.error);
            }
            given.push_back(*parsed.options);
        }
        if (given.empty()) {
            return Refuse(io, "no titles in " + o.titles);
        }
    }
    for (const CliOptions& one : given) {
        if (!FileExists(one.source) || fs::is_directory(one.source)) {
            return Refuse(io, "source file not found: " + one.source);
        }
    }
    run.name = fs::absolute(o.disc).lexically_normal();
    if (run.name.filename().empty() || !fs::is_directory(run.name.parent_path())) {
        return Refuse(io, "the disc's folder does not exist: " + run.name.parent_path().string());
    }
    const std::optional<double> interval =
        o.chapters ? ParseChapterInterval(*o.chapters) : std::optional<double>(kDefaultInterval);
    if (!interval) {
        return Refuse(io, "invalid value for --chapters: '" + *o.chapters +
                              "' (minutes as 5, or M:SS as 0:30; 0 for none)");
    }
    if (o.fit) {
        run.size = ParseDiscSize(*o.fit);
        run.sizeText = *o.fit;
        if (!run.size) {
            return Refuse(io, "invalid value for --fit: '" + *o.fit +
                                  "' (dvd5, dvd9, cd74, cd80, or bytes as 4.7G or 700Mi)");
        }
    }
    // Each source as a lone run would have it: its probe, the presets, the options given.
    const ShellDialect d = ShellDialect::Posix();
    for (CliOptions one : given) {
        one.source = fs::absolute(one.source).lexically_normal().string();
        Title t{one.source, fs::path(one.source).stem().string(),
                FieldsFor(one, d, programFolder, CliProbe(programFolder + d.ProbeReport())),
                !one.noPresets};
        titles.push_back(std::move(t));
    }
    const EncoderFields& first = titles.front().fields;
    const auto kind = DiscKindFor(first.m_strTarget);
    if (!kind) {
        return Refuse(io, "target " + first.m_strTarget +
                              " makes no disc: --disc takes the targets dvd, svcd and vcd");
    }
    for (auto [what, value] : {std::pair{"target", &TargetOf}, std::pair{"TV format", &FormatOf},
                               std::pair{"aspect", &AspectOf}}) {
        if (std::string why = Mixed(titles, what, value); !why.empty()) {
            return Refuse(io, why);
        }
    }
    if (first.m_strFormat != "pal" && first.m_strFormat != "ntsc") {
        return Refuse(io, "a disc is pal or ntsc, not " + first.m_strFormat);
    }
    const std::string aspect = AspectOf(first);
    if (*kind == DiscKind::Dvd && aspect != "4:3" && aspect != "16:9") {
        return Refuse(io, "a DVD is 4:3 or 16:9, not " + aspect);
    }
    if (!first.m_bProcessVideo) {
        return Refuse(io, "a disc needs the video: drop --no-video");
    }
    InstalledFfmpegTrials muxers;
    for (const Title& t : titles) {
        EncoderFields f = t.fields;
        f.m_strOutputFile = run.name.string() + ".mpg";  // the titles' kind of file
        const std::string line = PrepareEncode(f, {d, programFolder, t.presetting}).consoleLine;
        if (const auto unfit = FindCommandMuxRefusal(line, f.m_strTarget, muxers)) {
            return Refuse(io, t.stem + ": " + RefusalLine(*unfit));
        }
    }
    const std::string file = run.name.filename().string();
    run.layout.kind = *kind;
    run.layout.pal = first.m_strFormat == "pal";
    run.layout.wide = aspect == "16:9";
    run.layout.volume = VolumeLabel(run.name.stem().string());
    if (*kind == DiscKind::Dvd) {
        run.image = file.ends_with(".iso");
        if (!run.image && fs::exists(run.name) &&
            (!fs::is_directory(run.name) ||
             (!fs::is_empty(run.name) && !fs::exists(run.name / "VIDEO_TS")))) {
            return Refuse(io, run.name.string() +
                                  " is there and is no DVD folder: give a new name or an .iso");
        }
    } else if (!file.ends_with(".cue") || file.size() == 4) {
        return Refuse(io, "a " + KindName(*kind) +
                              " disc is a cue sheet and its .bin: NAME must "
                              "end in .cue, not " +
                              file);
    }
    if (run.size) {
        if (auto why = SizeMismatch(*run.size, *kind, *o.fit)) {
            return Refuse(io, *why);
        }
    }
    const double gop = GopSeconds(first.m_strMoreOptions, run.layout.pal);
    for (const Title& t : titles) {
        ProgressParser parser;
        parser.Feed(t.fields.m_strSourceInfo + "\n");
        const auto seconds = parser.Duration();
        // A source that cannot make a title fails the disc before anything is encoded.
        const std::string which = "title " + std::to_string(run.layout.titles.size() + 1) + " (" +
                                  t.stem + ") from " + t.source + ": ";
        if (!seconds || *seconds <= 0) {
            io.err << kName << ": " << which << "ffmpeg cannot tell its length; no disc was made\n";
            return kExitFailed;
        }
        if (t.fields.m_strSourceInfo.find("Video:") == std::string::npos) {
            io.err << kName << ": " << which << "it holds no video; no disc was made\n";
            return kExitFailed;
        }
        run.seconds += *seconds;
        run.layout.titles.push_back({TitleFile(run.layout.titles.size()), Utf8(t.stem), *seconds,
                                     *kind == DiscKind::Dvd
                                         ? ChapterStarts(*seconds, *interval, gop)
                                         : std::vector<double>{0.0}});
    }
    if (run.layout.HasMenu() && static_cast<int>(titles.size()) > MostMenuTitles(run.layout.pal)) {
        return Refuse(io, "the title menu holds at most " +
                              std::to_string(MostMenuTitles(run.layout.pal)) + " titles");
    }
    if (std::string missing = MissingTool(run); !missing.empty()) {
        io.err << kName << ": " << missing << "\n";
        return kExitFailed;
    }
    if (run.layout.HasMenu()) {
        const toolkit::FfmpegLocation ffmpeg = toolkit::FindRealFfmpeg();
        if (ffmpeg.path.empty()) {
            io.err << kName << ": " << ffmpeg.error << "\n";
            return kExitFailed;
        }
        run.ffmpeg = ffmpeg.path;
    }
    run.audioKbps = first.m_bProcessAudio ? std::atoi(first.m_strAudioBitrate.c_str()) : 0;
    run.limits = LimitsFor(*kind, run.audioKbps);
    if (run.size && !FirstRate(*kind, static_cast<double>(run.size->bytes), run.seconds,
                               run.audioKbps, static_cast<int>(titles.size()), run.limits)) {
        const double least = EstimatedImage(*kind, run.seconds, run.limits.least, run.audioKbps,
                                            static_cast<int>(titles.size()));
        return Refuse(io, "the titles do not fit " + *o.fit + " (" +
                              std::to_string(run.size->bytes) +
                              " bytes): " + std::to_string(titles.size()) + " titles of " +
                              FormatClock(run.seconds) + " need about " +
                              std::to_string(static_cast<long long>(least)) + " bytes even at " +
                              std::to_string(run.limits.least) + " kbit/s");
    }
    if (o.keepFiles) {
        run.keepFolder = run.name.parent_path() / (run.name.stem().string() + "-titles");
        if (fs::exists(run.keepFolder)) {
            return Refuse(io, "--keep-files would put the titles into " + run.keepFolder.string() +
                                  ", which is there already");
        }
    }
    return kExitOk;
}

}  // namespace

int RunDisc(const CliOptions& o, const std::string& programFolder, CliIo& io) {
    std::vector<Title> titles;
    DiscRun run;
    if (const int status = Plan(o, programFolder, titles, run, io); status != kExitOk) {
        return status;
    }
    const FormEnv env{ShellDialect::Posix(), programFolder, !o.noPresets};
    WorkFolder work(run.name);
    if (!work.Made()) {
        io.err << kName << ": cannot make a work folder beside " << run.name.string() << "\n";
        return kExitFailed;
    }
    for (std::size_t i = 0; i <= run.layout.titles.size() && run.layout.HasMenu(); ++i) {
        std::ofstream(work.File(LabelFile(i)), std::ios::binary)
            << (i == 0 ? Utf8(run.name.stem().string()) : run.layout.titles[i - 1].label);
    }
    std::ofstream(work.File(kTitlesXml), std::ios::binary) << TitlesXml(run.layout);
    std::ofstream(work.File(kTocXml), std::ios::binary) << TocXml(run.layout);
    std::ofstream(work.File(kSpumuxXml), std::ios::binary) << SpumuxXml(run.layout, false);
    std::ofstream(work.File(kSpumuxLetterboxXml), std::ios::binary) << SpumuxXml(run.layout, true);

    StopSignals outer;  // a stop between two steps is seen by the next one
    std::optional<RatePlan> rate;
    if (run.size) {
        rate = FirstRate(run.layout.kind, static_cast<double>(run.size->bytes), run.seconds,
                         run.audioKbps, static_cast<int>(titles.size()), run.limits);
    }
    double encodeTime = 0, authorTime = 0, readTime = 0;
    Attempt attempt;
    for (int round = 1;; ++round) {
        if (rate && !run.limits.fixed) {
            io.err << "fit: video at " << rate->videoKbps << " kbit/s"
                   << (rate->constant ? " (constant)" : "") << " for " << run.sizeText << "\n";
        }
        attempt = Attempt{rate ? rate->videoKbps : 0, rate && rate->constant};
        auto start = Clock::now();
        if (const int status = EncodeTitles(titles, rate, run, work, o, env, io, attempt)) {
            return status;
        }
        encodeTime += Since(start);
        io.err << "authoring: " << run.name.filename().string() << "\n" << std::flush;
        start = Clock::now();
        if (const int status = Author(run, work, round > 1, outer, io, attempt)) {
            return status;
        }
        authorTime += Since(start);
        if (!run.size) {
            break;
        }
        const double size = static_cast<double>(run.size->bytes);
        const double fill = attempt.imageBytes / size;
        io.err << "fit: the image fills " << Percent(fill) << " of " << run.sizeText << "\n";
        if (fill >= kLeastFill && fill <= 1.0) {
            break;
        }
        rate = NextRate(attempt, size, run.seconds, run.limits);
        if (!rate || round == kMostAttempts) {
            if (fill > 1.0) {
                io.err << kName << ": the disc would take "
                       << static_cast<long long>(attempt.imageBytes) << " bytes, more than "
                       << run.sizeText << " (" << run.size->bytes << " bytes); no disc was made\n";
                return kExitFailed;
            }
            io.err << "fit: the titles cannot fill more at the rates a "
                   << KindName(run.layout.kind) << " allows\n";
            break;
        }
    }
    io.err << "reading back: " << run.name.filename().string() << "\n" << std::flush;
    auto start = Clock::now();
    if (const int status = ReadBack(run, work, outer, io)) {
        return status;
    }
    readTime = Since(start);
    if (outer.FirstSignal() != 0) {
        return 128 + outer.FirstSignal();
    }
    if (const int status = Place(run, work, titles, io)) {
        return status;
    }
    io.err << "done: " << run.name.string() << " (" << titles.size() << " title"
           << (titles.size() == 1 ? "" : "s");
    if (run.size) {
        io.err << ", " << Percent(attempt.imageBytes / static_cast<double>(run.size->bytes))
               << " of " << run.sizeText;
    }
    io.err << "; encoding " << FormatClock(encodeTime) << ", authoring " << FormatClock(authorTime)
           << ", read-back " << FormatClock(readTime) << ")\n";
    return kExitOk;
}

}  // namespace mk::cli
