#include "job/DownloadJob.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BuildConfig.h"
#include "support/FakeSeat.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kSearch = std::string("http://") + kSearchHost;
const std::string kDefaultPhoto = std::string("http://") + kPhotoHost + "/images/personal/default12.jpg";
const std::string kJpeg = "\xFF\xD8\xFF\xE0 jpeg body";
const std::string kDone = "label 全部下载完毕";

std::string SearchUrl(int gender, const std::string& from, const std::string& to, int page) {
    return kSearch + "/search/getfastmdata.jsps?gender=" + std::to_string(gender) + "&agebegin=" + from +
           "&ageend=" + to + "&condition=3&&currentpage=" + std::to_string(page);
}

std::string ResultPage(const std::vector<std::string>& profileLinks) {
    std::string page = "<html><body>\r\n";
    for (const auto& link : profileLinks)
        page += "<div class=\"search_user_pic\">\r\n        <a href=\"" + link + "\" target=\"_blank\"></a></div>\r\n";
    return page + "</body></html>";
}

std::string ProfilePage(const std::vector<std::string>& photoLinks) {
    std::string page = "<html><body>\r\n";
    for (const auto& link : photoLinks) page += "<img data-big-img=\"" + link + "\" data-mid-img=\"mid.jpg\">\r\n";
    return page + "</body></html>";
}

std::string Label(int page, int member, int photo) {
    return "label 正在进行第" + std::to_string(page) + "页   第" + std::to_string(member) + "个会员的   第" +
           std::to_string(photo) + "张图";
}

// Everything but the bookkeeping of the file bracket and the selection copy.
std::vector<std::string> Requests(const FakeSeat& fake) {
    std::vector<std::string> result;
    for (const auto& e : fake.log)
        if (e.rfind("page ", 0) == 0 || e.rfind("profile ", 0) == 0 || e.rfind("photo ", 0) == 0) result.push_back(e);
    return result;
}

// One page with one member with one photo, stored as D:\photos\1001_1.jpg.
struct DownloadJobOnePhoto : ::testing::Test {
    FakeSeat fake;
    const std::string profile = kSearch + "/u/1001";
    const std::string photo = "http://p/1.jpg";
    const std::string fileName = "D:\\photos\\1001_1.jpg";

    void SetUp() override {
        fake.automation[SearchUrl(1, "20", "25", 1)] = {ResultPage({profile}), ""};
        fake.winInet[profile] = ProfilePage({photo});
        fake.automation[photo] = {kJpeg, ""};
    }
    void Run() { DownloadJob(fake.Seat()); }
};

TEST(DownloadJobTest, CrawlsPagesMembersAndPhotosInOrder) {
    FakeSeat fake;
    fake.pageCount = "2";
    const std::string a = kSearch + "/u/1001", b = kSearch + "/u/1002", c = kSearch + "/u/1003",
                      d = kSearch + "/u/2001";
    fake.automation[SearchUrl(1, "20", "25", 1)] = {ResultPage({a, b, c}), ""};
    fake.automation[SearchUrl(0, "30", "35", 2)] = {ResultPage({d}), ""};
    fake.winInet[a] = ProfilePage({"http://p/a1.jpg", "http://p/a2.jpg"});
    fake.winInet[b] = "<img src=\"" + kDefaultPhoto + "\">" + ProfilePage({"http://p/b1.jpg"});
    fake.winInet[c] = ProfilePage({});
    fake.winInet[d] = ProfilePage({"http://p/d1.jpg"});
    fake.automation["http://p/a1.jpg"] = {kJpeg + "a1", ""};
    fake.automation["http://p/a2.jpg"] = {kJpeg + "a2", ""};
    fake.automation["http://p/d1.jpg"] = {kJpeg + "d1", ""};
    // Changes made in the window during page 1 apply from page 2 on; the page
    // count was fixed when the loop began.
    fake.onLog = [](FakeSeat& f, const std::string& e) {
        if (e.rfind("page ", 0) != 0) return;
        f.genderCode = 0, f.ageFrom = "30", f.ageTo = "35", f.pageCount = "9";
    };

    DownloadJob(fake.Seat());

    EXPECT_THAT(Requests(fake),
                ElementsAre("page " + SearchUrl(1, "20", "25", 1), "profile " + a, "photo http://p/a1.jpg",
                            "photo http://p/a2.jpg", "profile " + b, "profile " + c,
                            "page " + SearchUrl(0, "30", "35", 2), "profile " + d, "photo http://p/d1.jpg"));
    EXPECT_EQ(fake.Entries("copy").size(), 2u);
    EXPECT_THAT(fake.Entries("label"),
                ElementsAre("label 正在进行第1页   第1个会员的   第1张图", Label(1, 1, 2), Label(2, 1, 1), kDone));
    EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{"D:\\photos\\1001_1.jpg", kJpeg + "a1"},
                                                              {"D:\\photos\\1001_2.jpg", kJpeg + "a2"},
                                                              {"D:\\photos\\2001_1.jpg", kJpeg + "d1"}}));
    EXPECT_THAT(fake.Entries("ensure"), IsEmpty());
}

TEST(DownloadJobTest, MarkersMatchWithoutRegardToCaseButExactlyInLayout) {
    const std::string link = kSearch + "/u/1";
    struct Case {
        const char* name;
        std::string page;
        std::string profile;
        int photoRequests;
    };
    const Case cases[] = {
        {"as served", ResultPage({link}), ProfilePage({"http://p/x.jpg"}), 1},
        {"upper case", "SEARCH_USER_PIC\">\r\n        <A HREF=\"" + link + "\" TARGET=",
         "<IMG DATA-BIG-IMG=\"http://p/x.jpg\" DATA-MID-IMG=\"", 1},
        {"seven spaces", "search_user_pic\">\r\n       <a href=\"" + link + "\" target=", ProfilePage({"x"}), 0},
        {"bare line feed", "search_user_pic\">\n        <a href=\"" + link + "\" target=", ProfilePage({"x"}), 0},
        {"photo link without mid image", ResultPage({link}), "<img data-big-img=\"http://p/x.jpg\">", 0},
    };
    for (const auto& c : cases) {
        FakeSeat fake;
        fake.automation[SearchUrl(1, "20", "25", 1)] = {c.page, ""};
        fake.winInet[link] = c.profile;
        fake.automation["http://p/x.jpg"] = {kJpeg, ""};
        DownloadJob(fake.Seat());
        EXPECT_EQ(int(fake.Entries("photo").size()), c.photoRequests) << c.name;
    }
}

TEST_F(DownloadJobOnePhoto, SkipsOnlyTheWholeDefaultPhotoAddressInExactBytes) {
    const std::string upper = std::string("HTTP://") + kPhotoHost + "/images/personal/default12.jpg";
    struct Case {
        std::string mention;
        bool skipped;
    };
    const Case cases[] = {
        {kDefaultPhoto, true},
        {upper, false},
        {kDefaultPhoto.substr(std::string("http:").size()), false},  // scheme-relative
        {std::string("http://") + kPhotoHost + "/images/personal/default13.jpg", false},
    };
    const std::string page = fake.winInet[profile];
    for (const auto& c : cases) {
        fake.log.clear();
        fake.winInet[profile] = "<img src=\"" + c.mention + "\">" + page;
        Run();
        EXPECT_EQ(fake.Entries("photo").empty(), c.skipped) << c.mention;
        EXPECT_EQ(fake.Entries("label").size(), c.skipped ? 1u : 2u) << c.mention;
    }
}

TEST_F(DownloadJobOnePhoto, NamesFilesAfterTheFolderTextAsItIs) {
    struct Case {
        std::string folder;
        bool exists;
        std::vector<std::string> ensured;
        std::string fileName;
    };
    const Case cases[] = {
        {"D:\\photos", true, {}, "D:\\photos\\1001_1.jpg"},
        {"D:\\new\\deep", false, {"ensure D:\\new\\deep"}, "D:\\new\\deep\\1001_1.jpg"},
        {"D:\\photos\\", false, {"ensure D:\\photos\\"}, "D:\\photos\\\\1001_1.jpg"},
        {"", false, {"ensure "}, "\\1001_1.jpg"},
    };
    for (const auto& c : cases) {
        fake.log.clear();
        fake.files.clear();
        fake.folder = c.folder;
        fake.folders = c.exists ? std::set<std::string>{c.folder} : std::set<std::string>{};
        Run();
        EXPECT_EQ(fake.Entries("ensure"), c.ensured) << c.folder;
        EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{c.fileName, kJpeg}})) << c.folder;
    }
}

TEST(DownloadJobTest, ReadsTheFolderAgainForEveryPhoto) {
    FakeSeat fake;
    const std::string link = kSearch + "/u/1001";
    fake.automation[SearchUrl(1, "20", "25", 1)] = {ResultPage({link}), ""};
    fake.winInet[link] = ProfilePage({"http://p/1.jpg", "http://p/2.jpg"});
    fake.automation["http://p/1.jpg"] = {kJpeg, ""};
    fake.automation["http://p/2.jpg"] = {kJpeg, ""};
    fake.onLog = [](FakeSeat& f, const std::string& e) {
        if (e.rfind("label", 0) == 0) f.folder = "E:\\other";
    };
    DownloadJob(fake.Seat());
    EXPECT_EQ(fake.files.count("D:\\photos\\1001_1.jpg"), 1u);
    EXPECT_EQ(fake.files.count("E:\\other\\1001_2.jpg"), 1u);
}

TEST_F(DownloadJobOnePhoto, MakesTheMemberIdSafeAsAFileName) {
    struct Case {
        std::string link;
        std::string fileName;
    };
    const Case cases[] = {
        {kSearch + "/profile?id=5", "D:\\photos\\_1.jpg"},  // no "u/": no member id
        {kSearch + "/u/x/u/..\\..\\evil", "D:\\photos\\.._.._evil_1.jpg"},
        {kSearch + "/u/..", "D:\\photos\\_1.jpg"},
        {kSearch + "/u/a:b*c?d|e", "D:\\photos\\a_b_c_d_e_1.jpg"},
        {kSearch + "/u/nul.txt", "D:\\photos\\nul_.txt_1.jpg"},
    };
    for (const auto& c : cases) {
        fake.files.clear();
        fake.automation[SearchUrl(1, "20", "25", 1)] = {ResultPage({c.link}), ""};
        fake.winInet[c.link] = ProfilePage({photo});
        Run();
        EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{c.fileName, kJpeg}})) << c.link;
    }
}

TEST(DownloadJobTest, NoticesComeAfterTheFolderStepAndTheJobGoesOn) {
    struct Case {
        int genderSelection;
        std::string pageCount;
        std::vector<std::string> notices;
        size_t pages;
    };
    const Case cases[] = {
        {-1, "", {"notice 未选择性别", "notice 未填要搜索多少页"}, 0},
        {-1, "1", {"notice 未选择性别"}, 1},
        {0, "", {"notice 未填要搜索多少页"}, 0},
        {0, "0", {}, 0},
        {0, "-3", {}, 0},
        {0, "abc", {}, 0},
    };
    for (const auto& c : cases) {
        FakeSeat fake;
        fake.folders.clear();
        fake.genderSelection = c.genderSelection;
        fake.pageCount = c.pageCount;
        DownloadJob(fake.Seat());
        std::vector<std::string> expected = {"ensure D:\\photos"};
        expected.insert(expected.end(), c.notices.begin(), c.notices.end());
        EXPECT_THAT(std::vector<std::string>(fake.log.begin(), fake.log.begin() + expected.size()),
                    ::testing::ContainerEq(expected))
            << c.pageCount;
        EXPECT_EQ(fake.Entries("page").size(), c.pages) << c.pageCount;
        EXPECT_EQ(fake.log.back(), kDone) << c.pageCount;
    }
}

TEST_F(DownloadJobOnePhoto, StoresOnlyWholeImageData) {
    const std::string html = "<html><body>404 Not Found</body></html>";
    struct Case {
        const char* name;
        std::string body;
        std::string headers;
        bool stored;
    };
    const Case cases[] = {
        {"jpeg", kJpeg, "", true},
        {"png", "\x89PNG\r\n\x1A\n", "", true},
        {"jpeg of announced length", kJpeg, "Content-Type: image/jpeg\r\nContent-Length: 14", true},
        {"fetch failed", "", "", false},
        {"error page", html, "Content-Length: " + std::to_string(html.size()), false},
        {"cut short", kJpeg, "content-length:  4000 \r\nConnection: close", false},
        {"malformed length", kJpeg, "Content-Length: 4000x", true},
    };
    for (const auto& c : cases) {
        fake.log.clear();
        fake.files = {{fileName, "older photo"}};
        fake.automation[photo] = {c.body, c.headers};
        Run();
        EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{fileName, c.stored ? c.body : "older photo"}}))
            << c.name;
        EXPECT_EQ(fake.Entries("begin").empty(), !c.stored) << c.name;
        EXPECT_THAT(fake.Entries("label"), ElementsAre(Label(1, 1, 1), kDone)) << c.name;
    }
}

TEST_F(DownloadJobOnePhoto, WritesATemporaryFileOfThisWorkerAndMovesItOverTheOldPhoto) {
    fake.files = {{fileName, "older photo"}};
    fake.threadId = 4242;
    Run();
    const std::string temporary = "D:\\photos\\~1092.part";  // 4242 in hex
    EXPECT_THAT(std::vector<std::string>(fake.log.end() - 6, fake.log.end()),
                ElementsAre("begin", "write " + temporary, "move " + temporary + " -> " + fileName, "end",
                            Label(1, 1, 1), kDone));
    EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{fileName, kJpeg}}));
}

TEST_F(DownloadJobOnePhoto, RemovesTheTemporaryFileWhenWritingOrMovingFails) {
    const std::string temporary = "D:\\photos\\~7.part";
    for (const bool moveFails : {false, true}) {
        fake.log.clear();
        fake.files = {{fileName, "older photo"}};
        fake.failingWrites = moveFails ? std::set<std::string>{} : std::set<std::string>{temporary};
        fake.failingMoves = moveFails ? std::set<std::string>{fileName} : std::set<std::string>{};
        Run();
        EXPECT_EQ(fake.files, (std::map<std::string, std::string>{{fileName, "older photo"}})) << moveFails;
        EXPECT_EQ(fake.Entries("remove"), std::vector<std::string>{"remove " + temporary}) << moveFails;
        EXPECT_EQ(fake.Entries("end").size(), 1u) << moveFails;
        EXPECT_EQ(fake.log.back(), kDone) << moveFails;
    }
}

TEST_F(DownloadJobOnePhoto, EndsAtTheNextStepOnceTheWindowIsClosing) {
    // The entry after which the window asks to stop, and the last entry the
    // job may leave after it.
    struct Case {
        std::string trigger;
        std::string last;
    };
    const Case cases[] = {
        {"ensure D:\\new", "ensure D:\\new"},
        {"notice 未选择性别", "notice 未选择性别"},
        {"notice 未填要搜索多少页", "notice 未填要搜索多少页"},
        {"page " + SearchUrl(1, "20", "25", 1), "page " + SearchUrl(1, "20", "25", 1)},
        {"profile " + profile, "profile " + profile},
        {"photo " + photo, "photo " + photo},
        {"write D:\\photos\\~7.part", "end"},  // a write begun is finished
    };
    for (const auto& c : cases) {
        fake.log.clear();
        fake.files.clear();
        fake.stopping = false;
        fake.folder = c.trigger.rfind("ensure", 0) == 0 ? "D:\\new" : "D:\\photos";
        fake.genderSelection = c.trigger == "notice 未选择性别" ? -1 : 0;
        fake.pageCount = c.trigger == "notice 未填要搜索多少页" ? "" : "1";
        fake.onLog = [&](FakeSeat& f, const std::string& e) { f.stopping = f.stopping || e == c.trigger; };
        Run();
        EXPECT_EQ(fake.log.back(), c.last) << c.trigger;
        EXPECT_THAT(fake.Entries("label"), IsEmpty()) << c.trigger;
        EXPECT_EQ(fake.Entries("begin").size(), fake.Entries("end").size()) << c.trigger;
    }
}

TEST_F(DownloadJobOnePhoto, WritesNothingWhenTheWriteBracketRefuses) {
    fake.onLog = [](FakeSeat& f, const std::string& e) { f.stopping = f.stopping || e.rfind("photo ", 0) == 0; };
    JobSeat seat = fake.Seat();
    seat.stopRequested = [] { return false; };  // only the bracket knows
    DownloadJob(seat);
    EXPECT_EQ(fake.log.back(), "begin");
    EXPECT_THAT(fake.files, IsEmpty());
}

}  // namespace
}  // namespace velmora
