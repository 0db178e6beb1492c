// CWinThread as the weather downloads use it: the thread function runs on a
// thread of its own with its parameter, and an auto-deleting object is gone
// when the function returns, while a suspended one waits to be listed.
#include <gtest/gtest.h>

#include <atomic>

#include "framework/Handles.h"
#include "framework/WinThread.h"

namespace {

std::atomic<int> g_deleted{0};
std::atomic<DWORD> g_ranOn{0};

class CountedThread : public CWinThread {
public:
    using CWinThread::CWinThread;
    ~CountedThread() override { ++g_deleted; }
};

UINT RecordThread(LPVOID param) {
    g_ranOn = ::GetCurrentThreadId();
    static_cast<std::atomic<int>*>(param)->fetch_add(1);
    return 7;
}

UniqueKernelHandle Waitable(HANDLE h) {
    HANDLE dup = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &dup, SYNCHRONIZE | THREAD_QUERY_INFORMATION,
                      FALSE, 0);
    return UniqueKernelHandle(dup);
}

}  // namespace

TEST(WinThread, SuspendedThreadRunsOnResumeAndDeletesItself) {
    g_deleted = 0;
    std::atomic<int> calls{0};
    auto* thread = new CountedThread(&RecordThread, &calls);
    ASSERT_TRUE(thread->CreateThread(CREATE_SUSPENDED));
    UniqueKernelHandle h = Waitable(thread->ThreadHandle());
    const DWORD id = thread->ThreadId();
    ::Sleep(50);
    EXPECT_EQ(calls.load(), 0) << "suspended until resumed";
    thread->ResumeThread();  // the object belongs to the thread from here
    ASSERT_EQ(::WaitForSingleObject(h.get(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(g_ranOn.load(), id);
    EXPECT_NE(id, ::GetCurrentThreadId());
    EXPECT_EQ(g_deleted.load(), 1);
    DWORD code = 0;
    ::GetExitCodeThread(h.get(), &code);
    EXPECT_EQ(code, 7u);
}

TEST(WinThread, ManyShortThreadsAllEndAndAreDeleted) {
    g_deleted = 0;
    std::atomic<int> calls{0};
    for (int i = 0; i < 50; ++i) {
        auto* thread = new CountedThread(&RecordThread, &calls);
        ASSERT_TRUE(thread->CreateThread());  // runs at once; not touched again
    }
    const DWORD start = ::GetTickCount();
    while (g_deleted.load() < 50 && ::GetTickCount() - start < 5000) ::Sleep(5);
    EXPECT_EQ(calls.load(), 50);
    EXPECT_EQ(g_deleted.load(), 50);
}

TEST(WinThread, KeptObjectOutlivesItsThread) {
    g_deleted = 0;
    std::atomic<int> calls{0};
    CountedThread thread(&RecordThread, &calls);
    thread.m_bAutoDelete = FALSE;
    ASSERT_TRUE(thread.CreateThread());
    ASSERT_EQ(::WaitForSingleObject(thread.ThreadHandle(), 5000), WAIT_OBJECT_0);
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(g_deleted.load(), 0);
    EXPECT_FALSE(thread.CreateThread()) << "one thread per object";
}
