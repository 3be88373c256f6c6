// A fresh folder under the temporary folder for one test, removed with
// everything in it afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace velmora {

class JobTempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH] = {};
        GetTempPathA(sizeof base, base);
        parent_ = std::string(base) + "velmora-job-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetTickCount());
        folder_ = parent_ + "\\photos";
        ASSERT_TRUE(CreateDirectoryA(parent_.c_str(), nullptr)) << parent_;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr)) << folder_;
    }
    void TearDown() override { RemoveTree(parent_); }

    static bool IsFolder(const std::string& path) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    // Names in a folder, without "." and "..".
    static std::set<std::string> Listing(const std::string& folder) {
        std::set<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.insert(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    static void RemoveTree(const std::string& folder) {
        for (const auto& name : Listing(folder)) {
            const std::string path = folder + "\\" + name;
            if (IsFolder(path)) RemoveTree(path);
            else DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string parent_;  // holds folder_ and nothing else
    std::string folder_;
};

}  // namespace velmora
