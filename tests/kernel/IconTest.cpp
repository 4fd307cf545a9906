// LoadIconA: the program's icon 128 with both its images, and the system's icons.
#include "ResourceTestSupport.h"

#include "user/DialogTemplate.h"

#include <gtest/gtest.h>

namespace {

class Icons : public ::testing::Test {
  protected:
    TestMachine m_machine{"JPN"};
    void SetUp() override { ASSERT_TRUE(m_machine.Started()) << m_machine.Error(); }
};

COLORREF Pixel(const res::IconImage& image, int x, int y) {
    return image.pixels[static_cast<size_t>(y) * image.width + x];
}

TEST_F(Icons, ProgramIconHasBothSizes) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128));
    ASSERT_NE(icon, nullptr);
    // Loading it again gives the same shared icon.
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(128)), icon);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "#128"), icon);

    res::IconImage large;
    ASSERT_TRUE(res::GetIconImage(icon, large));
    EXPECT_EQ(large.width, 32);
    EXPECT_EQ(large.height, 32);
    EXPECT_EQ(large.systemIcon, 0);
    ASSERT_EQ(large.pixels.size(), 32u * 32u);
    // The drawing: transparent corners, a black-framed yellow box, a blue disk with a white
    // label at the lower right.
    EXPECT_EQ(Pixel(large, 0, 0), res::kTransparentPixel);
    EXPECT_EQ(Pixel(large, 31, 0), res::kTransparentPixel);
    EXPECT_EQ(Pixel(large, 2, 4), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(large, 5, 7), RGB(255, 255, 0));
    EXPECT_EQ(Pixel(large, 5, 12), RGB(128, 0, 0));
    EXPECT_EQ(Pixel(large, 14, 20), RGB(0, 0, 255));
    EXPECT_EQ(Pixel(large, 16, 28), RGB(255, 255, 255));

    res::IconImage small;
    ASSERT_TRUE(res::GetIconImage(icon, small, 16, 16));
    EXPECT_EQ(small.width, 16);
    EXPECT_EQ(small.height, 16);
    EXPECT_EQ(Pixel(small, 0, 0), res::kTransparentPixel);
    // Sizes in between take the nearest image.
    ASSERT_TRUE(res::GetIconImage(icon, small, 20, 20));
    EXPECT_EQ(small.width, 16);
    ASSERT_TRUE(res::GetIconImage(icon, large, 48, 48));
    EXPECT_EQ(large.width, 32);
}

TEST_F(Icons, MissingIconIsNull) {
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(129)), nullptr);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "NOSUCHICON"), nullptr);
    // The system's icons come only without a module.
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), IDI_APPLICATION), nullptr);
    EXPECT_EQ(LoadIconA(reinterpret_cast<HINSTANCE>(0x7654321), MAKEINTRESOURCEA(128)), nullptr);
}

TEST_F(Icons, SystemIcons) {
    struct {
        LPCSTR name;
        WORD id;
    } icons[] = {{IDI_APPLICATION, 32512},
                 {IDI_HAND, 32513},
                 {IDI_QUESTION, 32514},
                 {IDI_EXCLAMATION, 32515},
                 {IDI_ASTERISK, 32516}};
    std::vector<HICON> handles;
    for (const auto& want : icons) {
        HICON icon = LoadIconA(nullptr, want.name);
        ASSERT_NE(icon, nullptr) << want.id;
        res::IconImage image;
        ASSERT_TRUE(res::GetIconImage(icon, image));
        EXPECT_EQ(image.systemIcon, want.id);
        EXPECT_EQ(image.width, 32);
        EXPECT_EQ(image.height, 32);
        EXPECT_EQ(image.pixels.size(), 32u * 32u);
        // Something is drawn, and the corners let the background through.
        EXPECT_EQ(Pixel(image, 0, 31), res::kTransparentPixel);
        size_t drawn = 0;
        for (COLORREF pixel : image.pixels)
            drawn += pixel != res::kTransparentPixel;
        EXPECT_GT(drawn, 200u);
        for (HICON other : handles)
            EXPECT_NE(other, icon);
        handles.push_back(icon);
    }
    EXPECT_EQ(LoadIconA(nullptr, IDI_WARNING), LoadIconA(nullptr, IDI_EXCLAMATION));
    EXPECT_EQ(LoadIconA(nullptr, IDI_ERROR), LoadIconA(nullptr, IDI_HAND));
    EXPECT_EQ(LoadIconA(nullptr, IDI_INFORMATION), LoadIconA(nullptr, IDI_ASTERISK));
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(128)), nullptr);
    EXPECT_EQ(LoadIconA(nullptr, "IDI_APPLICATION"), nullptr);
}

TEST_F(Icons, NotAnIcon) {
    res::IconImage image;
    EXPECT_FALSE(res::GetIconImage(nullptr, image));
    int local = 0;
    EXPECT_FALSE(res::GetIconImage(reinterpret_cast<HICON>(&local), image));
}

} // namespace
