// CWinThread: one worker thread running a plain thread function, after the
// class library's worker-thread form. The object owns the thread handle and,
// with m_bAutoDelete set (the default), deletes itself on the new thread as
// soon as the thread function returns; nobody else deletes a started thread.
#pragma once
#include "framework/Handles.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread {
public:
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread. Without CREATE_SUSPENDED it runs at once, and an
    // auto-deleting object may be gone by the time this returns: the caller
    // must not touch it after a successful start. With CREATE_SUSPENDED the
    // object stays valid until ResumeThread.
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES security = nullptr);
    // Lets a suspended thread run. The same warning applies once it returns.
    DWORD ResumeThread();

    HANDLE ThreadHandle() const { return m_hThread.get(); }
    DWORD ThreadId() const { return m_nThreadID; }

    BOOL m_bAutoDelete = TRUE;

protected:
    // Called on the thread after the thread function returned.
    virtual void Delete();

private:
    static unsigned __stdcall ThreadEntry(void* self);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
    UniqueKernelHandle m_hThread;
    DWORD m_nThreadID = 0;
};
