#include <gtest/gtest.h>

#include "platform/text.h"
#include "product_ini.h"

namespace zentivo::demo {
namespace {

TEST(ProductIni, ReadsTheProductSectionFromGbkText) {
  const auto gbk = text::Utf8ToGbk(
      "; Zentivo 演示产品设置\r\n"
      "[Exam]\r\nAppName=不是这个\r\n"
      "[product]\r\n  AppName = Zentivo 冲刺版 \r\nappename=QUENXRQX_Excel2010\r\n"
      "Edition=RQX\r\nno equals sign\r\n"
      "[Other]\r\nAgentVersion=9\r\n");
  ASSERT_TRUE(gbk);
  const ProductInfo info = ParseProductIni(*gbk);
  EXPECT_EQ(info.app_name, "Zentivo 冲刺版");
  EXPECT_EQ(info.app_ename, "QUENXRQX_Excel2010");
  EXPECT_EQ(info.edition, "RQX");
  EXPECT_EQ(info.agent_version, "");
}

}  // namespace
}  // namespace zentivo::demo
