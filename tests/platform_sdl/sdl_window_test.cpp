// The SDL show window and its messages, on SDL's off-screen video driver: sent and posted messages, SDL events.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "platform/sdl/sdl_internal.h"
#include "platform/window.h"

namespace {

using platform::Message;
using platform::MessageKind;

std::vector<Message>& Received() {
  static std::vector<Message> received;
  return received;
}

intptr_t Record(const Message& message) {
  Received().push_back(message);
  return platform::DefWindowProc(message);
}

class SdlWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::RegisterWindowClass("TestClass", Record);
  }
  void SetUp() override {
    Received().clear();
    window_ = platform::CreateShowWindow({"TestClass", "Test", platform::WindowStyle::kFramed, 640, 400});
    ASSERT_NE(window_, nullptr);
    Drain();
  }
  void TearDown() override { platform::DestroyWindow(window_); }

  std::vector<Message> Drain() {
    std::vector<Message> taken;
    Message message;
    while (platform::PeekMessage(&message)) taken.push_back(message);
    return taken;
  }

  SDL_Window* Native() { return window_->native; }
  Uint32 WindowId() { return SDL_GetWindowID(window_->native); }

  void PushWindowEvent(Uint8 kind) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = WindowId();
    event.window.event = kind;
    SDL_PushEvent(&event);
  }

  platform::Window* window_ = nullptr;
};

TEST_F(SdlWindowTest, UnknownClassesGetNoWindow) {
  EXPECT_EQ(platform::CreateShowWindow({"NoSuchClass", "x", platform::WindowStyle::kPopup, 10, 10}), nullptr);
  EXPECT_FALSE(platform::RegisterWindowClass("TestClass", Record));
}

TEST_F(SdlWindowTest, ShowingActivatesTheProgramBeforeReturningAndOnlyOnce) {
  platform::ShowWindow(window_, platform::kShowDefault);
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Received()[0].kind, MessageKind::kActivateApp);
  EXPECT_EQ(Received()[0].wParam, 1u);
  platform::ShowWindow(window_, platform::kShowDefault);
  EXPECT_EQ(Received().size(), 1u);
}

TEST_F(SdlWindowTest, ClientAreaIsExactlyTheAskedSize) {
  platform::FitClientArea(window_, 800, 600);
  int width = 0, height = 0;
  SDL_GetWindowSize(Native(), &width, &height);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  int x = 0, y = 0;
  SDL_GetWindowPosition(Native(), &x, &y);
  const platform::Point corner = platform::ClientToScreen(window_, {800, 600});
  EXPECT_EQ(corner.x, x + 800);
  EXPECT_EQ(corner.y, y + 600);
}

TEST_F(SdlWindowTest, EscapeCloseAndFocusBecomeTheHostsMessages) {
  SDL_Event key = {};
  key.type = SDL_KEYDOWN;
  key.key.windowID = WindowId();
  key.key.keysym.sym = SDLK_ESCAPE;
  SDL_PushEvent(&key);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
  PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  const std::vector<Message> taken = Drain();
  ASSERT_EQ(taken.size(), 6u);
  EXPECT_EQ(taken[0].kind, MessageKind::kKeyDown);
  EXPECT_EQ(taken[0].wParam, platform::kVirtualKeyEscape);
  EXPECT_EQ(taken[0].window, window_);
  const uint32_t activation[] = {0, 0, 1, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(taken[1 + i].kind, MessageKind::kActivateApp);
    EXPECT_EQ(taken[1 + i].wParam, activation[i]);
  }
  EXPECT_EQ(taken[5].kind, MessageKind::kClose);
}

TEST_F(SdlWindowTest, ClosingDestroysTheWindowWhichHearsItAtOnce) {
  platform::DispatchMessage({window_, MessageKind::kClose, 0});
  ASSERT_EQ(Received().size(), 2u);
  EXPECT_EQ(Received()[1].kind, MessageKind::kDestroy);
  // The record outlives the window: everything the host may still do with it is harmless.
  platform::DestroyWindow(window_);
  platform::ShowWindow(window_, platform::kShowDefault);
  platform::FitClientArea(window_, 10, 10);
  EXPECT_EQ(platform::ClientToScreen(window_, {3, 4}).x, 3);
  EXPECT_EQ(platform::DispatchMessage({window_, MessageKind::kKeyDown, 27}), 0);
  EXPECT_EQ(Received().size(), 2u);
}

TEST_F(SdlWindowTest, ASignalToQuitClosesTheShowWindow) {
  SDL_Event quit = {};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  const std::vector<Message> taken = Drain();
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].kind, MessageKind::kClose);
  EXPECT_EQ(taken[0].window, window_);
}

TEST_F(SdlWindowTest, QuitQueuesBehindWaitingMessagesAndTheQueueNeverWaits) {
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  Message first;
  ASSERT_TRUE(platform::PeekMessage(&first));
  EXPECT_EQ(first.wParam, 1u);
  platform::PostQuitMessage(0);
  const std::vector<Message> taken = Drain();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].kind, MessageKind::kActivateApp);
  EXPECT_EQ(taken[0].wParam, 0u);
  EXPECT_EQ(taken[1].kind, MessageKind::kQuit);
  EXPECT_EQ(taken[1].window, nullptr);

  const auto start = std::chrono::steady_clock::now();
  Message message;
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(platform::PeekMessage(&message));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
}

TEST_F(SdlWindowTest, CursorCountGoesDownAndUpAgain) {
  const int32_t hidden = platform::ShowCursor(false);
  EXPECT_EQ(platform::ShowCursor(true), hidden + 1);
}

}  // namespace
