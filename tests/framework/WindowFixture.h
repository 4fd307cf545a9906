// A running emulated machine with the headless front end, for tests of the framework's
// windows. The test scripts what the "user" does at each wait: the automation hook runs the
// next step whenever the program waits for input.
#pragma once

#include "TempDir.h"

#include <host/Frontend.h>
#include <host/Machine.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

class WindowFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Adds what the user does at the next wait.
    void AtNextWait(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    // Waits at which the test had nothing left to do.
    int UnexpectedWaits() const { return m_unexpectedWaits; }
    int Waits() const { return m_waits; }

    // Clicks a button of a dialog as the dialog manager reports it.
    static void Click(HWND dialog, int id);
    static std::string TextOf(HWND hWnd);
    // Removes whatever is left in the message queue, the quit message included.
    static void DrainQueue();

    TempDir m_prefix;
    TempDir m_media;

  private:
    std::deque<std::function<void()>> m_steps;
    int m_unexpectedWaits = 0;
    int m_waits = 0;
};
