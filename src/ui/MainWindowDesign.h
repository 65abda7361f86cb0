// The main window's design. The rows are in the form's stacking order, the
// topmost first; the form runtime creates them from the last row up, so the
// Tab key walks 按钮1 编辑框1 按钮2 编辑框2 编辑框3 编辑框4 选择框1.
#pragma once

#include "ui/FormDesign.h"

#include <string_view>

// The project's own page, opened by the label at the bottom of the window.
inline constexpr std::string_view Homepage = "https://velmora.example.org/";

namespace role {
inline constexpr std::string_view useProxyCheck = "useProxyCheck";
inline constexpr std::string_view proxyPortBox = "proxyPortBox";
inline constexpr std::string_view proxyHostBox = "proxyHostBox";
inline constexpr std::string_view homepageLabel = "homepageLabel";
inline constexpr std::string_view watchTimer = "watchTimer";
inline constexpr std::string_view runButton = "runButton";
inline constexpr std::string_view urlBox = "urlBox";
inline constexpr std::string_view downloadButton = "downloadButton";
inline constexpr std::string_view saveFolderBox = "saveFolderBox";
inline constexpr std::string_view localPathButton = "localPathButton";
} // namespace role

inline constexpr std::uint32_t Blue = 0xFF0000; // RGB(0, 0, 255)

inline constexpr ControlDesign MainWindowControls[] = {
    // kind, name, role, left, top, width, height, caption, visible[, colour, hand cursor]
    {ControlKind::CheckBox, "\xD1\xA1\xD4\xF1\xBF\xF2" "1", role::useProxyCheck, // 选择框1
     8, 144, 72, 24, "\xCA\xB9\xD3\xC3\xB4\xFA\xC0\xED", true},                  // 使用代理
    {ControlKind::Edit, "\xB1\xE0\xBC\xAD\xBF\xF2" "4", role::proxyPortBox, // 编辑框4
     344, 144, 48, 24, "", true},
    {ControlKind::Label, "\xB1\xEA\xC7\xA9" "5", "", // 标签5
     296, 152, 40, 16, "\xB6\xCB\xBF\xDA", true},    // 端口
    {ControlKind::Edit, "\xB1\xE0\xBC\xAD\xBF\xF2" "3", role::proxyHostBox, // 编辑框3
     128, 144, 152, 24, "", true},
    {ControlKind::Label, "\xB1\xEA\xC7\xA9" "4", "", // 标签4
     96, 144, 24, 24, "\xB5\xD8\xD6\xB7", true},     // 地址
    {ControlKind::Label, "\xB1\xEA\xC7\xA9" "3", role::homepageLabel, // 标签3
     32, 208, 216, 16,
     "\xCF\xEE\xC4\xBF\xD6\xF7\xD2\xB3\xA3\xBAhttps://velmora.example.org/", // 项目主页：+ Homepage
     true, Blue, true},
    {ControlKind::Timer, "\xCA\xB1\xD6\xD3" "1", role::watchTimer, // 时钟1
     264, 208, 64, 24, "", false},
    {ControlKind::Label, "\xB1\xEA\xC7\xA9" "2", "", // 标签2
     16, 72, 56, 24, "\xCD\xF8\xD6\xB7\xA3\xBA", true}, // 网址：
    {ControlKind::Label, "\xB1\xEA\xC7\xA9" "1", "", // 标签1
     8, 32, 56, 24, "\xB1\xA3\xB4\xE6\xB5\xBD\xA3\xBA", true}, // 保存到：
    {ControlKind::Button, "\xB0\xB4\xC5\xA5" "3", role::runButton, // 按钮3
     176, 232, 72, 16, "\xB0\xB4\xC5\xA5", false},                 // 按钮
    {ControlKind::Edit, "\xB1\xE0\xBC\xAD\xBF\xF2" "2", role::urlBox, // 编辑框2
     80, 72, 240, 32, "", true},
    {ControlKind::Button, "\xB0\xB4\xC5\xA5" "2", role::downloadButton, // 按钮2
     328, 64, 64, 40, "\xCF\xC2\xD4\xD8", true},                        // 下载
    {ControlKind::Edit, "\xB1\xE0\xBC\xAD\xBF\xF2" "1", role::saveFolderBox, // 编辑框1
     80, 24, 240, 32, "", true},
    {ControlKind::Button, "\xB0\xB4\xC5\xA5" "1", role::localPathButton, // 按钮1
     328, 16, 64, 40, "\xB1\xBE\xB5\xD8\xC2\xB7\xBE\xB6", true},        // 本地路径
};

inline constexpr FormDesign MainWindowDesign{
    "Velmora\xD5\xFB\xD5\xBE\xCF\xC2\xD4\xD8   By tarnquill42", // Velmora整站下载   By tarnquill42
    415, 287, MainWindowControls};
