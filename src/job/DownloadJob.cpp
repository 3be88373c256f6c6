#include "job/DownloadJob.h"

#include "BuildConfig.h"
#include "job/PhotoFile.h"
#include "text/Extraction.h"
#include "text/Primitives.h"

namespace velmora {
namespace {

constexpr char kScheme[] = "http://";
constexpr char kSearchPath[] = "/search/getfastmdata.jsps?gender=";
constexpr char kAgeFromKey[] = "&agebegin=";
constexpr char kAgeToKey[] = "&ageend=";
constexpr char kPageKey[] = "&condition=3&&currentpage=";
constexpr char kDefaultPhotoPath[] = "/images/personal/default12.jpg";

// The profile link follows the picture cell's line break and eight spaces.
constexpr char kProfileLinkLeft[] = "search_user_pic\">\r\n        <a href=\"";
constexpr char kProfileLinkRight[] = "\" target=";
constexpr char kPhotoLinkLeft[] = "<img data-big-img=\"";
constexpr char kPhotoLinkRight[] = "\" data-mid-img=\"";
constexpr char kMemberIdMarker[] = "u/";

constexpr char kProgressPage[] = "正在进行第";
constexpr char kProgressMember[] = "页   第";
constexpr char kProgressPhoto[] = "个会员的   第";
constexpr char kProgressEnd[] = "张图";
constexpr char kAllDone[] = "全部下载完毕";

constexpr char kNoGender[] = "未选择性别";
constexpr char kNoPageCount[] = "未填要搜索多少页";

constexpr int kNoSelection = -1;

Text SearchUrl(const SelectionCopy& selection, int page) {
    return ConcatText(kScheme, kSearchHost, kSearchPath, IntToText(selection.genderCode), kAgeFromKey,
                      selection.ageFrom, kAgeToKey, selection.ageTo, kPageKey, IntToText(page));
}

Text ProgressLine(int page, int member, int photo) {
    return ConcatText(kProgressPage, IntToText(page), kProgressMember, IntToText(member), kProgressPhoto,
                      IntToText(photo), kProgressEnd);
}

// Writes the photo under a temporary name of this worker and moves it over
// the final name only once the whole body is on disk, so no half-written
// photo ever carries the final name. False when the job must stop.
bool StorePhoto(const JobSeat& seat, const Text& folder, const Text& fileName, const ByteSet& body) {
    if (!seat.beginFileWrite()) return false;
    const Text temporary = TemporaryFileName(folder, seat.threadId());
    if (!seat.writeFile(temporary, body) || !seat.moveFileReplacing(temporary, fileName))
        seat.removeFile(temporary);
    seat.endFileWrite();
    return true;
}

// One photo: fetch, check, store, progress line. False when the job must stop.
bool FetchPhoto(const JobSeat& seat, const Text& profileLink, const Text& photoLink, int page, int member,
                int photo) {
    if (seat.stopRequested()) return false;
    const Text memberId = SafeMemberId(TextAfterLast(profileLink, kMemberIdMarker));
    const Text folder = seat.folderText();
    const Text fileName = PhotoFileName(folder, memberId, photo);

    Text responseHeaders;
    const ByteSet body = seat.automationFetch(photoLink, responseHeaders);
    // An error page, an empty answer or a broken transfer would only replace
    // a good photo, or leave a false one: such a body is not stored.
    if (IsImageData(body) && !IsCutShort(body, responseHeaders)) {
        if (seat.stopRequested() || !StorePhoto(seat, folder, fileName, body)) return false;
    }

    if (seat.stopRequested()) return false;
    seat.setLabel(ProgressLine(page, member, photo));
    seat.processEvents();
    return true;
}

// One member: the profile page and its photos. False when the job must stop.
bool FetchMember(const JobSeat& seat, const Text& defaultPhotoUrl, const Text& profileLink, int page, int member) {
    if (seat.stopRequested()) return false;
    const Text profileText = BytesToText(seat.winInetFetch(profileLink));
    if (FindText(profileText, defaultPhotoUrl) != -1) return true;  // only the site's default picture

    TextArray photoLinks;
    const int photoCount = ExtractAllBetween(profileText, kPhotoLinkLeft, kPhotoLinkRight, photoLinks);
    for (int k = 1; k <= photoCount; ++k) {
        if (!FetchPhoto(seat, profileLink, photoLinks.At(k), page, member, k)) return false;
    }
    return true;
}

// One result page and its members. False when the job must stop.
bool FetchPage(const JobSeat& seat, const Text& defaultPhotoUrl, int page) {
    if (seat.stopRequested()) return false;
    const SelectionCopy selection = seat.copySelection();
    Text responseHeaders;
    const Text pageText = BytesToText(seat.automationFetch(SearchUrl(selection, page), responseHeaders));

    TextArray profileLinks;
    const int memberCount = ExtractAllBetween(pageText, kProfileLinkLeft, kProfileLinkRight, profileLinks);
    for (int m = 1; m <= memberCount; ++m) {
        if (!FetchMember(seat, defaultPhotoUrl, profileLinks.At(m), page, m)) return false;
    }
    return true;
}

}  // namespace

// Every step that waits on the network, the user or the window first asks
// whether the window is closing, and so does the job after each notice; if
// so it returns at once, without the final label, so the closing window is
// not touched again and no photo is begun.
void DownloadJob(const JobSeat& seat) {
    if (seat.stopRequested()) return;
    if (!seat.fileExists(seat.folderText())) seat.ensureFolder(seat.folderText());

    if (seat.stopRequested()) return;
    if (seat.genderSelection() == kNoSelection) seat.showNotice(kNoGender);
    if (seat.stopRequested()) return;
    if (CompareText(seat.pageCountText(), Text()) == 0) seat.showNotice(kNoPageCount);
    if (seat.stopRequested()) return;

    const int pageCount = TextToInt(seat.pageCountText());
    const Text defaultPhotoUrl = ConcatText(kScheme, kPhotoHost, kDefaultPhotoPath);
    for (int p = 1; p <= pageCount; ++p) {
        if (!FetchPage(seat, defaultPhotoUrl, p)) return;
    }

    if (seat.stopRequested()) return;
    seat.setLabel(kAllDone);
}

}  // namespace velmora
