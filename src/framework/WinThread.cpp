#include "framework/WinThread.h"

#include <process.h>

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() = default;

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES security) {
    if (m_hThread || !m_pfnThreadProc) return FALSE;
    // Always created suspended, so that the handle and id are stored before
    // the thread can run (and perhaps delete this object).
    unsigned id = 0;
    const uintptr_t h = ::_beginthreadex(security, stackSize, &CWinThread::ThreadEntry, this,
                                         CREATE_SUSPENDED, &id);
    if (h == 0) return FALSE;
    m_hThread.reset(reinterpret_cast<HANDLE>(h));
    m_nThreadID = id;
    if (!(createFlags & CREATE_SUSPENDED)) ResumeThread();
    return TRUE;
}

DWORD CWinThread::ResumeThread() {
    // Nothing of this object may be read after the call: the thread may
    // already have ended and deleted it.
    const HANDLE h = m_hThread.get();
    return h ? ::ResumeThread(h) : static_cast<DWORD>(-1);
}

void CWinThread::Delete() {
    if (m_bAutoDelete) delete this;
}

unsigned __stdcall CWinThread::ThreadEntry(void* self) {
    CWinThread* thread = static_cast<CWinThread*>(self);
    const UINT result = thread->m_pfnThreadProc(thread->m_pThreadParams);
    thread->Delete();
    return result;
}
