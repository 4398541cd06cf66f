// The installer window's own texts and fixed values.
#pragma once

#include <string_view>

namespace zentivo::ui {

inline constexpr std::string_view kMsgChooseDirectory = "请选择安装目录！";
inline constexpr std::string_view kMsgIllegalPath = "存储路径不合法！";
inline constexpr std::string_view kMsgCheckNetwork = "请检查网络是否正常！";
inline constexpr std::string_view kQuestionCancel = "是否要取消？";
inline constexpr std::string_view kConfirmCaption = "提示";
inline constexpr std::string_view kFolderPrompt = "请选择文件夹:";

inline constexpr std::string_view kStatusLoading = "服务器资源加载中请耐心等待....";
inline constexpr std::string_view kStatusInstalling = "正在安装文件,请耐心等待...";

// The two programs "立即体验" starts, each when it exists.
inline constexpr std::string_view kLaunchTargets[] = {"\\DeskTutor.exe", "\\Mivanta.exe"};

// Message box flags and answers, as Windows numbers them.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbYesNo = 0x04;
inline constexpr unsigned kMbIconInformation = 0x40;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

}  // namespace zentivo::ui
