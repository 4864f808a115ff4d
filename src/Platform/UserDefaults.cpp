#include "Platform/UserDefaults.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <system_error>

#include <nlohmann/json.hpp>

#include "Platform/AtomicFile.h"
#include "Platform/JsonReading.h"
#include "Platform/Log.h"
#include "Platform/XdgDirectories.h"

namespace tessaly {

namespace {

constexpr const char* kDataKey = "$data";
// Larger than any settings file, so that what an import stored always reads
// back; still a bound on what is read at start.
constexpr std::size_t maxFileBytes = 16 * 1024 * 1024;
constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const auto n = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
        out += kBase64Alphabet[(n >> 18) & 63];
        out += kBase64Alphabet[(n >> 12) & 63];
        out += kBase64Alphabet[(n >> 6) & 63];
        out += kBase64Alphabet[n & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const auto n = (static_cast<unsigned char>(bytes[i]) << 16) |
                       (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0);
        out += kBase64Alphabet[(n >> 18) & 63];
        out += kBase64Alphabet[(n >> 12) & 63];
        out += two ? kBase64Alphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> base64Decode(std::string_view text) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int digits[4];
        int padding = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[i + static_cast<std::size_t>(k)];
            if (c == '=' && last && k >= 2) {
                digits[k] = 0;
                ++padding;
                continue;
            }
            if (padding > 0) return std::nullopt;  // data after padding
            digits[k] = value(c);
            if (digits[k] < 0) return std::nullopt;
        }
        const unsigned n = (static_cast<unsigned>(digits[0]) << 18) | (static_cast<unsigned>(digits[1]) << 12) |
                           (static_cast<unsigned>(digits[2]) << 6) | static_cast<unsigned>(digits[3]);
        out += static_cast<char>((n >> 16) & 0xFF);
        if (padding < 2) out += static_cast<char>((n >> 8) & 0xFF);
        if (padding < 1) out += static_cast<char>(n & 0xFF);
    }
    return out;
}

nlohmann::json encodeValue(const UserDefaults::Value& value) {
    return std::visit(
        [](const auto& v) -> nlohmann::json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, UserDefaults::Data>) {
                return nlohmann::json{{kDataKey, base64Encode(v.bytes)}};
            } else if constexpr (std::is_same_v<T, double>) {
                return std::isfinite(v) ? nlohmann::json(v) : nlohmann::json(nullptr);
            } else {
                return nlohmann::json(v);
            }
        },
        value);
}

std::optional<UserDefaults::Value> decodeValue(const nlohmann::json& json) {
    if (json.is_boolean()) return UserDefaults::Value(json.get<bool>());
    if (json.is_number()) return UserDefaults::Value(json.get<double>());
    if (json.is_string()) return UserDefaults::Value(json.get<std::string>());
    if (json.is_array()) {
        UserDefaults::StringArray strings;
        for (const auto& element : json) {
            if (!element.is_string()) return std::nullopt;
            strings.push_back(element.get<std::string>());
        }
        return UserDefaults::Value(std::move(strings));
    }
    if (json.is_object() && json.size() == 1 && json.contains(kDataKey) && json[kDataKey].is_string()) {
        if (auto bytes = base64Decode(json[kDataKey].get_ref<const std::string&>())) {
            return UserDefaults::Value(UserDefaults::Data{std::move(*bytes)});
        }
    }
    return std::nullopt;
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &parts);
    return buffer;
}

}  // namespace

// MARK: - Typed reads

namespace {

// The value under `key` when it holds a T.
template <typename T>
std::optional<T> valueOfType(const UserDefaults& defaults, const std::string& key) {
    auto value = defaults.objectForKey(key);
    if (T* typed = value ? std::get_if<T>(&*value) : nullptr) return std::move(*typed);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const {
    return valueOfType<std::string>(*this, key);
}

std::optional<double> UserDefaults::numberForKey(const std::string& key) const {
    return valueOfType<double>(*this, key);
}

std::optional<UserDefaults::Data> UserDefaults::dataForKey(const std::string& key) const {
    return valueOfType<Data>(*this, key);
}

std::optional<UserDefaults::StringArray> UserDefaults::stringArrayForKey(const std::string& key) const {
    return valueOfType<StringArray>(*this, key);
}

bool UserDefaults::boolForKey(const std::string& key) const {
    const auto value = objectForKey(key);
    if (!value) return false;
    if (const auto* b = std::get_if<bool>(&*value)) return *b;
    if (const auto* d = std::get_if<double>(&*value)) return *d != 0;  // NaN counts as non-zero
    if (const auto* s = std::get_if<std::string>(&*value)) {
        for (const char c : *s) {
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
            return c == 'y' || c == 'Y' || c == 't' || c == 'T' || (c >= '1' && c <= '9');
        }
    }
    return false;
}

// MARK: - In memory

std::optional<UserDefaults::Value> InMemoryUserDefaults::objectForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void InMemoryUserDefaults::setObject(const Value& value, const std::string& key) {
    std::lock_guard lock(mutex_);
    values_.insert_or_assign(key, value);
}

void InMemoryUserDefaults::removeObjectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    values_.erase(key);
}

std::vector<std::string> InMemoryUserDefaults::keys() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> result;
    for (const auto& [key, value] : values_) result.push_back(key);
    return result;
}

// MARK: - File backed

FileUserDefaults::FileUserDefaults(std::filesystem::path file) : file_(std::move(file)) { load(); }

FileUserDefaults::~FileUserDefaults() {
    flushTimer_.cancel();
    synchronize();
}

std::optional<std::filesystem::path> FileUserDefaults::defaultLocation() {
    const auto config = XdgDirectories::configHome();
    if (!config) return std::nullopt;
    return *config / "tessaly" / "defaults.json";
}

std::shared_ptr<FileUserDefaults> FileUserDefaults::standard() {
    if (const auto location = defaultLocation()) return std::make_shared<FileUserDefaults>(*location);
    Log::error(LogCategory::app, "no home or config folder: settings are kept in memory only");
    return std::shared_ptr<FileUserDefaults>(new FileUserDefaults());
}

void FileUserDefaults::load() {
    const AtomicFile::ReadResult read = AtomicFile::read(file_, maxFileBytes, AtomicFile::Owner::user);
    if (read.status == AtomicFile::ReadStatus::missing) return;
    if (read.status == AtomicFile::ReadStatus::failed || read.status == AtomicFile::ReadStatus::foreign) {
        // Out of reach rather than damaged (or not the user's to take): what
        // it holds is unknown, so it is neither moved nor written over.
        fileOutOfReach_ = true;
        Log::error(LogCategory::app, "user defaults unreadable (" + read.error + "); left as it is; running on defaults");
        return;
    }
    std::string problem = read.error;
    std::optional<nlohmann::json> document;
    if (read.status == AtomicFile::ReadStatus::ok) {
        document = json_reading::parseBounded(read.bytes, &problem, maxFileBytes);
        if (document && !document->is_object()) {
            document.reset();
            problem = "not a JSON object";
        }
    }
    if (!document) {
        // Keep the damaged file for the user to inspect, out of the way.
        std::filesystem::path aside = file_;
        aside += ".corrupt-" + timestamp();
        std::error_code error;
        std::filesystem::rename(file_, aside, error);
        Log::error(LogCategory::app, "user defaults damaged (" + problem + "); moved aside to " + aside.string() +
                                         (error ? " failed: " + error.message() : "") + "; starting from defaults");
        return;
    }
    for (const auto& [key, json] : document->items()) {
        if (json.is_null()) continue;
        if (auto value = decodeValue(json)) values_.insert_or_assign(key, std::move(*value));
        else foreign_.insert_or_assign(key, json.dump());
    }
}

bool FileUserDefaults::persistLocked() {
    if (fileOutOfReach_) {
        if (!outOfReachLogged_) {
            outOfReachLogged_ = true;
            Log::error(LogCategory::app, "user defaults not written: " + file_.string() +
                                             " could not be read at start; changes are kept for this run only");
        }
        return false;
    }
    dirty_ = false;
    if (file_.empty()) return true;
    nlohmann::json document = nlohmann::json::object();
    for (const auto& [key, text] : foreign_) {
        document[key] = nlohmann::json::parse(text, nullptr, false);
    }
    for (const auto& [key, value] : values_) document[key] = encodeValue(value);
    // Text that is not UTF-8 is written with replacement characters rather
    // than losing the whole file.
    std::string bytes = document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    bytes += '\n';
    std::string error;
    ++writeCount_;
    if (!AtomicFile::createDirectories(file_.parent_path(), 0700, &error) ||
        !AtomicFile::write(file_, bytes, 0600, &error)) {
        Log::error(LogCategory::app, "user defaults not written: " + error);
        dirty_ = true;  // kept for the next attempt
        return false;
    }
    return true;
}

void FileUserDefaults::changedLocked() {
    dirty_ = true;
    if (!main_) {
        persistLocked();
        return;
    }
    if (flushTimer_) return;  // the burst's write is already on its way
    flushTimer_ = main_->schedule(coalescingDelay_, [this] {
        // Runs on the main thread; the handle is a member, so the timer
        // never outlives the store.
        flushTimer_.cancel();
        std::lock_guard lock(mutex_);
        if (dirty_) persistLocked();
    });
}

void FileUserDefaults::setObject(const Value& value, const std::string& key) {
    std::lock_guard lock(mutex_);
    foreign_.erase(key);
    values_.insert_or_assign(key, value);
    changedLocked();
}

void FileUserDefaults::removeObjectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    const bool had = values_.erase(key) + foreign_.erase(key) > 0;
    if (had) changedLocked();
}

bool FileUserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    return !dirty_ || persistLocked();
}

void FileUserDefaults::coalesceWrites(std::shared_ptr<MainExecutor> main, double delay) {
    std::lock_guard lock(mutex_);
    main_ = std::move(main);
    coalescingDelay_ = delay;
}

std::size_t FileUserDefaults::fileWriteCount() const {
    std::lock_guard lock(mutex_);
    return writeCount_;
}

bool FileUserDefaults::hasPendingChanges() const {
    std::lock_guard lock(mutex_);
    return dirty_;
}

}  // namespace tessaly
