#include "uninstall_messages.h"

namespace zentivo::demo {
namespace {

// Long lists are cut so that the message box still fits on the screen.
constexpr size_t kMaxListed = 10;

void AppendList(std::string& out, const std::string& title, const std::vector<std::string>& items) {
  if (items.empty())
    return;
  out += "\n\n" + title;
  for (size_t i = 0; i < items.size() && i < kMaxListed; ++i) out += "\n    " + items[i];
  if (items.size() > kMaxListed)
    out += "\n    ……另有 " + std::to_string(items.size() - kMaxListed) + " 项";
}

}  // namespace

std::string ConfirmText(const std::string& product, const std::string& folder) {
  return "确定要卸载“" + product + "”吗？\n\n安装目录：" + folder;
}

std::string NoLogText(const std::string& log_path) {
  return "找不到卸载记录，无法卸载：\n" + log_path;
}

std::string ReportText(const UninstallReport& report, const std::string& product) {
  if (report.Complete() && !report.kept_for_retry)
    return "“" + product + "”已成功卸载。";

  std::string out = "“" + product + "”已卸载，但以下项目仍然保留。";
  AppendList(out, "无法删除的文件（可能正在使用或是只读文件）：", report.failed_files);
  if (report.kept_for_retry)
    out += "\n\n关闭正在使用这些文件的程序后，可以再次运行卸载程序。";
  AppendList(out, "这些文件夹中还有卸载记录以外的文件，已保留：", report.kept_dirs);
  AppendList(out, "类型与卸载记录不符（文件与文件夹），未删除：", report.wrong_kind);
  std::vector<std::string> refused;
  for (const auto& r : report.refused)
    refused.push_back("第 " + std::to_string(r.number) + " 行 " + r.text + "（" + r.reason + "）");
  AppendList(out, "卸载记录中的这些行无效，已跳过：", refused);
  return out;
}

}  // namespace zentivo::demo
