// A JobSeat served from memory: canned pages and photos by URL, an in-memory
// file system, and a log of every effect the job has, in order.
//
// Log entries: "copy", "page <url>", "profile <url>", "photo <url>",
// "notice <text>", "label <text>", "ensure <path>", "begin", "write <path>",
// "move <from> -> <to>", "remove <path>", "end". A test may react to an entry
// (change a control, ask to stop) through onLog.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "job/DownloadJob.h"

namespace velmora {

struct FakeResponse {
    std::string body;
    std::string headers;
};

struct FakeSeat {
    // Controls and selection state.
    std::string folder = "D:\\photos";
    int genderSelection = 0;
    std::string pageCount = "1";
    int genderCode = 1;
    std::string ageFrom = "20";
    std::string ageTo = "25";

    // The site: result pages and photos through the automation client,
    // profile pages through WinInet. A URL not listed fails (empty body).
    std::map<std::string, FakeResponse> automation;
    std::map<std::string, std::string> winInet;

    // Files and folders. A folder exists when it is listed in folders.
    std::map<std::string, std::string> files;
    std::set<std::string> folders = {"D:\\photos"};
    std::set<std::string> failingWrites;  // paths whose write fails halfway
    std::set<std::string> failingMoves;   // move targets that cannot be replaced
    unsigned threadId = 7;

    bool stopping = false;
    std::function<void(FakeSeat&, const std::string& entry)> onLog;
    std::vector<std::string> log;

    void Log(const std::string& entry) {
        log.push_back(entry);
        if (onLog) onLog(*this, entry);
    }

    static Text T(const std::string& s) { return Text::Present(s); }
    static std::string S(const Text& t) { return std::string(t.View()); }

    ByteSet Fetch(const char* kind, const Text& url, Text* headers) {
        const std::string key = S(url);
        Log(std::string(kind) + " " + key);
        if (kind == std::string("profile")) {
            const auto found = winInet.find(key);
            return found == winInet.end() ? ByteSet() : ByteSet::Result(found->second);
        }
        const auto found = automation.find(key);
        if (found == automation.end()) return ByteSet();
        if (headers) *headers = Text::Result(found->second.headers);
        return ByteSet::Result(found->second.body);
    }

    // Entries of the log that start with prefix, in order.
    std::vector<std::string> Entries(const std::string& prefix) const {
        std::vector<std::string> result;
        std::copy_if(log.begin(), log.end(), std::back_inserter(result),
                     [&](const std::string& e) { return e.compare(0, prefix.size(), prefix) == 0; });
        return result;
    }

    JobSeat Seat() {
        JobSeat seat;
        seat.folderText = [this] { return T(folder); };
        seat.genderSelection = [this] { return genderSelection; };
        seat.pageCountText = [this] { return Text::Result(pageCount); };
        seat.setLabel = [this](const Text& t) { Log("label " + S(t)); };
        seat.copySelection = [this] {
            Log("copy");
            SelectionCopy copy;
            copy.genderCode = genderCode;
            copy.ageFrom = Text::Result(ageFrom);
            copy.ageTo = Text::Result(ageTo);
            return copy;
        };
        seat.automationFetch = [this](const Text& url, Text& headers) {
            const bool isPage = S(url).find("/search/") != std::string::npos;
            return Fetch(isPage ? "page" : "photo", url, &headers);
        };
        seat.winInetFetch = [this](const Text& url) { return Fetch("profile", url, nullptr); };
        seat.showNotice = [this](const Text& t) { Log("notice " + S(t)); };
        seat.fileExists = [this](const Text& p) { return folders.count(S(p)) + files.count(S(p)) > 0; };
        seat.ensureFolder = [this](const Text& p) {
            Log("ensure " + S(p));
            return 1;
        };
        seat.writeFile = [this](const Text& p, const ByteSet& bytes) {
            const std::string path = S(p);
            Log("write " + path);
            const std::string content(bytes.View());
            if (failingWrites.count(path)) {
                files[path] = content.substr(0, content.size() / 2);
                return false;
            }
            files[path] = content;
            return true;
        };
        seat.moveFileReplacing = [this](const Text& from, const Text& to) {
            Log("move " + S(from) + " -> " + S(to));
            const auto source = files.find(S(from));
            if (source == files.end() || failingMoves.count(S(to))) return false;
            files[S(to)] = source->second;
            files.erase(source);
            return true;
        };
        seat.removeFile = [this](const Text& p) {
            Log("remove " + S(p));
            return files.erase(S(p)) > 0;
        };
        seat.threadId = [this] { return threadId; };
        seat.processEvents = [] {};
        seat.stopRequested = [this] { return stopping; };
        seat.beginFileWrite = [this] {
            Log("begin");
            return !stopping;
        };
        seat.endFileWrite = [this] { Log("end"); };
        return seat;
    }
};

}  // namespace velmora
