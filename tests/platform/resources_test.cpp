// The embedded resources, found by name without regard to case or by number.
#include "platform/resources.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Start(const platform::Resource& r, size_t n) {
  return std::string(reinterpret_cast<const char*>(r.data), n);
}

TEST(Resources, TheModuleAndThePicturesByAnyCase) {
  const platform::Resource module = platform::FindResource("xmfile");
  ASSERT_NE(module.data, nullptr);
  EXPECT_EQ(module.size, 79327u);
  EXPECT_EQ(Start(module, 17), "Extended Module: ");
  EXPECT_EQ(platform::FindResource("XmFiLe").data, module.data);
  for (const char* name : {"olkpic1", "OLKPIC2", "OlkPic3", "olkPIC4"}) {
    const platform::Resource picture = platform::FindResource(name);
    ASSERT_NE(picture.data, nullptr) << name;
    EXPECT_EQ(picture.size, 192054u) << name;
    EXPECT_EQ(Start(picture, 2), "BM") << name;
  }
}

TEST(Resources, TheDialogLogoByNumber) {
  const platform::Resource logo = platform::FindBitmapResource(platform::kLogoBitmapId);
  ASSERT_NE(logo.data, nullptr);
  EXPECT_EQ(Start(logo, 2), "BM");
}

TEST(Resources, UnknownNamesAndNumbersFindNothing) {
  EXPECT_EQ(platform::FindResource("olkpic5").data, nullptr);
  EXPECT_EQ(platform::FindResource("xmfil").data, nullptr);
  EXPECT_EQ(platform::FindResource("").size, 0u);
  EXPECT_EQ(platform::FindResource(nullptr).data, nullptr);
  EXPECT_EQ(platform::FindBitmapResource(104).data, nullptr);
}

}  // namespace
