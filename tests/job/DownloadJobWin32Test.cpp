// The job's files on the real file system (under Wine): the folder made,
// photos moved into place, and member ids from a page kept inside the folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "BuildConfig.h"
#include "job/DownloadJob.h"
#include "job/TempFolderWin32.h"
#include "support/FakeSeat.h"
#include "text/Platform.h"

namespace velmora {
namespace {

using DownloadJobFilesTest = JobTempFolder;

const std::string kJpeg = "\xFF\xD8\xFF\xE0 jpeg body";

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(DownloadJobFilesTest, StoresEveryPhotoInsideTheFolderItMade) {
    struct Member {
        std::string id;
        std::string fileName;
    };
    const Member members[] = {
        {"1001", "1001_1.jpg"},
        {"CON.x", "CON_.x_1.jpg"},
        {"nul.txt", "nul_.txt_1.jpg"},
        {"COM1.a", "COM1_.a_1.jpg"},
        {"..", "_1.jpg"},
        {"..\\..\\evil", ".._.._evil_1.jpg"},
        {"a:b", "a_b_1.jpg"},
        {"张三", "张三_1.jpg"},
        {"\x81\x5C", "\x81\x5C_1.jpg"},  // one GBK character with a 5C trail byte
    };
    const std::string search = std::string("http://") + kSearchHost;
    const std::string folder = folder_ + "\\new\\deep";
    FakeSeat fake;
    fake.folder = folder;
    std::string page;
    std::set<std::string> expected;
    for (const auto& m : members) {
        const std::string link = search + "/u/" + m.id;
        page += "search_user_pic\">\r\n        <a href=\"" + link + "\" target=\"_blank\">\r\n";
        fake.winInet[link] = "<img data-big-img=\"http://p/" + m.fileName + "\" data-mid-img=\"m\">";
        fake.automation["http://p/" + m.fileName] = {kJpeg + m.fileName, ""};
        expected.insert(m.fileName);
    }
    fake.automation[search + "/search/getfastmdata.jsps?gender=1&agebegin=20&ageend=25&condition=3&&currentpage=1"] =
        {page, ""};
    JobSeat seat = fake.Seat();
    seat.fileExists = FileExists;
    seat.ensureFolder = EnsureFolder;
    seat.writeFile = WriteFile;
    seat.moveFileReplacing = MoveFileReplacing;
    seat.removeFile = RemoveFile;
    seat.threadId = CurrentThreadId;

    DownloadJob(seat);

    EXPECT_EQ(Listing(folder), expected);
    for (const auto& m : members) EXPECT_EQ(Contents(folder + "\\" + m.fileName), kJpeg + m.fileName) << m.id;
    EXPECT_EQ(Listing(parent_), std::set<std::string>{"photos"});
    EXPECT_EQ(Listing(folder_), std::set<std::string>{"new"});
    EXPECT_EQ(Listing(folder_ + "\\new"), std::set<std::string>{"deep"});
}

TEST_F(DownloadJobFilesTest, ReplacesAnOlderPhotoAndLeavesNoTemporaryFile) {
    const std::string search = std::string("http://") + kSearchHost;
    const std::string link = search + "/u/1001";
    FakeSeat fake;
    fake.folder = folder_;
    fake.automation[search + "/search/getfastmdata.jsps?gender=1&agebegin=20&ageend=25&condition=3&&currentpage=1"] =
        {"search_user_pic\">\r\n        <a href=\"" + link + "\" target=", ""};
    fake.winInet[link] =
        "<img data-big-img=\"http://p/1\" data-mid-img=\"m\"><img data-big-img=\"http://p/2\" data-mid-img=\"m\">";
    fake.automation["http://p/1"] = {kJpeg + "new", ""};
    fake.automation["http://p/2"] = {kJpeg + "cut", "Content-Length: 5000"};
    for (const char* name : {"1001_1.jpg", "1001_2.jpg"})
        ASSERT_TRUE(WriteFile(Text((folder_ + "\\" + name).c_str()), ByteSet::Present("old")));
    JobSeat seat = fake.Seat();
    seat.fileExists = FileExists;
    seat.writeFile = WriteFile;
    seat.moveFileReplacing = MoveFileReplacing;
    seat.removeFile = RemoveFile;
    seat.threadId = CurrentThreadId;

    DownloadJob(seat);

    EXPECT_EQ(Listing(folder_), (std::set<std::string>{"1001_1.jpg", "1001_2.jpg"}));
    EXPECT_EQ(Contents(folder_ + "\\1001_1.jpg"), kJpeg + "new");
    EXPECT_EQ(Contents(folder_ + "\\1001_2.jpg"), "old");
}

}  // namespace
}  // namespace velmora
