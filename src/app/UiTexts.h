// The fixed texts of the window and the notice box, each kept once here.
#pragma once

namespace velmora {

constexpr char kMainWindowClass[] = "VelmoraMainWindow";
constexpr char kMainWindowTitle[] = "Velmora高清头像下载器";

constexpr char kGenderCaption[] = "性别：";
constexpr char kAgeCaption[] = "年龄：";
constexpr char kAgeDash[] = "-";
constexpr char kPageCountCaption[] = "下载几页：";
constexpr char kPageCountStart[] = "1";
constexpr char kFolderCaption[] = "保存到：";
constexpr char kBrowseButton[] = "选择文件夹";
constexpr char kStartButton[] = "开始下载";

constexpr char kMale[] = "男";
constexpr char kFemale[] = "女";

// The folder box's start value after the program directory; it does not
// follow the selected ages until the first change of gender or age.
constexpr char kStartFolderTail[] = "\\男\\18-19";
constexpr char kFolderSeparator[] = "\\";
constexpr char kAgeSeparator[] = "-";

constexpr char kBrowsePrompt[] = "打开目录";

constexpr char kNoticeTitle[] = "友情提醒";

// Preferred face for the Chinese texts; the font mapper substitutes any
// installed face that covers GB2312 when this one is missing.
constexpr char kUiFontFace[] = "宋体";

// Class names of the window system's own controls.
constexpr char kStaticClass[] = "STATIC";
constexpr char kEditClass[] = "EDIT";
constexpr char kButtonClass[] = "BUTTON";
constexpr char kComboBoxClass[] = "COMBOBOX";

}  // namespace velmora
