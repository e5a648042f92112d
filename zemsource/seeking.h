// SPDX-License-Identifier: BSD-3-Clause
// IMediaSeeking of the output pin: the segment to play, in reference time
// (100 ns) or in samples (blocks), with the file's length as its duration.
// Positions are kept as block numbers; a time means the block whose span holds
// it, so seeks are accurate to the block. The current position is where the
// segment starts, the point playback (re)starts from.
//
// The positions have a lock of their own, never held while waiting for the
// streaming thread: renderers ask for them from inside that thread's calls
// (a stop position at the end of the stream), also while the filter stops
// and waits for the thread with its own lock held.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "zemsource/positions.h"

#include <cstdint>

namespace zemsource {

class SourceFilter;

class Seeking : public IMediaSeeking {
public:
    Seeking(IUnknown& owner, SourceFilter& filter);
    ~Seeking();
    Seeking(const Seeking&) = delete;
    Seeking& operator=(const Seeking&) = delete;

    // The whole file, after a file is loaded.
    void Reset(uint64_t totalBlocks);
    // The segment to stream: [start, stop) with start <= stop.
    void Segment(uint64_t& start, uint64_t& stop);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return m_owner.QueryInterface(iid, out); }
    STDMETHODIMP_(ULONG) AddRef() override { return m_owner.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return m_owner.Release(); }

    STDMETHODIMP GetCapabilities(DWORD* capabilities) override;
    STDMETHODIMP CheckCapabilities(DWORD* capabilities) override;
    STDMETHODIMP IsFormatSupported(const GUID* format) override;
    STDMETHODIMP QueryPreferredFormat(GUID* format) override;
    STDMETHODIMP GetTimeFormat(GUID* format) override;
    STDMETHODIMP IsUsingTimeFormat(const GUID* format) override;
    STDMETHODIMP SetTimeFormat(const GUID* format) override;
    STDMETHODIMP GetDuration(LONGLONG* duration) override;
    STDMETHODIMP GetStopPosition(LONGLONG* stop) override;
    STDMETHODIMP GetCurrentPosition(LONGLONG* current) override;
    STDMETHODIMP ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat) override;
    STDMETHODIMP SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    STDMETHODIMP GetPositions(LONGLONG* current, LONGLONG* stop) override;
    STDMETHODIMP GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    STDMETHODIMP SetRate(double rate) override;
    STDMETHODIMP GetRate(double* rate) override;
    STDMETHODIMP GetPreroll(LONGLONG* preroll) override;

private:
    static bool Supported(const GUID& format);
    // The unit of a format (null: the current one).
    PositionUnit UnitOf(const GUID* format) const;
    FilePositions Positions() const;
    LONGLONG ValueOf(uint64_t block, const GUID* format) const;

    IUnknown& m_owner;
    SourceFilter& m_filter;
    CRITICAL_SECTION m_lock;
    GUID m_format = TIME_FORMAT_MEDIA_TIME;
    uint64_t m_total = 0;
    uint64_t m_start = 0;
    uint64_t m_stop = 0;
};

}  // namespace zemsource
