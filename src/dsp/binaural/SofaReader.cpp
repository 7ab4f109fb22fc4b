#include "binaural/SofaReader.h"

#include "common/EngineStatus.h"

#include <mysofa.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

namespace vq {

namespace {

constexpr char kMagic[4] = {'V', 'Q', 'S', 'F'};

template <typename T>
void Put(std::string& bytes, const T& value)
{
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
void PutArray(std::string& bytes, const std::vector<T>& values)
{
    Put(bytes, static_cast<std::uint64_t>(values.size()));
    bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

// Reads from a transfer, refusing anything that runs past its end.
class Cursor {
public:
    explicit Cursor(const std::string& bytes) : m_bytes(bytes) {}

    template <typename T>
    bool Get(T* value)
    {
        if (m_bytes.size() - m_at < sizeof(T))
            return false;
        std::memcpy(value, m_bytes.data() + m_at, sizeof(T));
        m_at += sizeof(T);
        return true;
    }

    template <typename T>
    bool GetArray(std::vector<T>* values)
    {
        std::uint64_t count = 0;
        if (!Get(&count) || count > (m_bytes.size() - m_at) / sizeof(T))
            return false;
        values->resize(static_cast<std::size_t>(count));
        if (count > 0) // an empty vector's data() may be null, which memcpy must not see
            std::memcpy(values->data(), m_bytes.data() + m_at, values->size() * sizeof(T));
        m_at += values->size() * sizeof(T);
        return true;
    }

    bool AtEnd() const { return m_at == m_bytes.size(); }

private:
    const std::string& m_bytes;
    std::size_t m_at = 0;
};

template <typename T>
std::vector<T> ArrayOf(const MYSOFA_ARRAY& array)
{
    return array.values ? std::vector<T>(array.values, array.values + array.elements) : std::vector<T>();
}

// The child's whole work: parse, and send what was found.
int ParseInChild(const std::string& path, int fd)
{
    SofaContents contents;
    MYSOFA_HRTF* hrtf = mysofa_load(path.c_str(), &contents.loadError);
    if (hrtf && contents.loadError == MYSOFA_OK) {
        contents.checkError = mysofa_check(hrtf);
        contents.measurements = hrtf->M;
        contents.receivers = hrtf->R;
        contents.taps = hrtf->N;
        if (hrtf->SourcePosition.values && hrtf->SourcePosition.elements == 3ull * hrtf->M)
            mysofa_tocartesian(hrtf);
        contents.rates = ArrayOf<double>(hrtf->DataSamplingRate);
        contents.positions = ArrayOf<float>(hrtf->SourcePosition);
        contents.responses = ArrayOf<float>(hrtf->DataIR);
        contents.delays = ArrayOf<float>(hrtf->DataDelay);
    } else if (contents.loadError == MYSOFA_OK) {
        contents.loadError = MYSOFA_INVALID_FORMAT;
    }
    return WriteAll(fd, EncodeSofaContents(contents)) ? 0 : 1;
}

std::atomic<int> g_parserRuns{0};

// The last file read, and what identifies its content.
struct CachedFile {
    std::string path;
    off_t size = -1;
    timespec modified{};
    std::shared_ptr<const SofaContents> contents;
};
std::mutex g_cacheMutex;
CachedFile g_cache;

bool SameStat(const CachedFile& cached, const std::string& path, const struct stat& now)
{
    return cached.contents && cached.path == path && cached.size == now.st_size &&
           cached.modified.tv_sec == now.st_mtim.tv_sec && cached.modified.tv_nsec == now.st_mtim.tv_nsec;
}

}  // namespace

std::string EncodeSofaContents(const SofaContents& c)
{
    std::string bytes(kMagic, sizeof kMagic);
    Put(bytes, static_cast<std::int32_t>(c.loadError));
    Put(bytes, static_cast<std::int32_t>(c.checkError));
    Put(bytes, static_cast<std::uint32_t>(c.measurements));
    Put(bytes, static_cast<std::uint32_t>(c.receivers));
    Put(bytes, static_cast<std::uint32_t>(c.taps));
    PutArray(bytes, c.rates);
    PutArray(bytes, c.positions);
    PutArray(bytes, c.responses);
    PutArray(bytes, c.delays);
    return bytes;
}

bool DecodeSofaContents(const std::string& bytes, SofaContents* c)
{
    *c = SofaContents();
    Cursor in(bytes);
    char magic[sizeof kMagic];
    std::int32_t loadError = 0, checkError = 0;
    std::uint32_t m = 0, r = 0, n = 0;
    if (!in.Get(&magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0 || !in.Get(&loadError) ||
        !in.Get(&checkError) || !in.Get(&m) || !in.Get(&r) || !in.Get(&n) || !in.GetArray(&c->rates) ||
        !in.GetArray(&c->positions) || !in.GetArray(&c->responses) || !in.GetArray(&c->delays) || !in.AtEnd()) {
        *c = SofaContents();
        return false;
    }
    c->loadError = loadError;
    c->checkError = checkError;
    c->measurements = m;
    c->receivers = r;
    c->taps = n;
    return true;
}

int SofaParserRuns()
{
    return g_parserRuns.load();
}

int ReadSofa(const std::string& path, const ChildLimits& limits, const std::function<bool()>& keepGoing,
             std::shared_ptr<const SofaContents>* contents, std::string* reason)
{
    contents->reset();
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || access(path.c_str(), R_OK) != 0) {
        *reason = "cannot open " + path + ": " + std::strerror(errno);
        return kHrtfOpenFailed;
    }
    if (!S_ISREG(status.st_mode)) {
        *reason = "cannot open " + path + ": not a file";
        return kHrtfOpenFailed;
    }
    {
        const std::lock_guard<std::mutex> lock(g_cacheMutex);
        if (SameStat(g_cache, path, status)) {
            *contents = g_cache.contents;
            return kStatusOk;
        }
    }

    ++g_parserRuns;
    std::string bytes;
    const ChildOutcome outcome =
        RunInChild([&path](int fd) { return ParseInChild(path, fd); }, limits, keepGoing, &bytes, reason);
    if (outcome == ChildOutcome::Cancelled)
        return kStatusCancelled;
    auto parsed = std::make_shared<SofaContents>();
    if (outcome != ChildOutcome::Done || !DecodeSofaContents(bytes, parsed.get())) {
        if (outcome == ChildOutcome::Done)
            *reason = "the reader gave an incomplete answer";
        return kHrtfUnreadable;
    }
    const std::lock_guard<std::mutex> lock(g_cacheMutex);
    g_cache = CachedFile{path, status.st_size, status.st_mtim, parsed};
    *contents = parsed;
    return kStatusOk;
}

}  // namespace vq
