// SPDX-License-Identifier: BSD-3-Clause
#include "zemsource/seeking.h"

#include "zemsource/media_clock.h"
#include "zemsource/source_filter.h"

#include <algorithm>
#include <climits>

namespace zemsource {

namespace {

constexpr DWORD kCapabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards |
                                AM_SEEKING_CanSeekBackwards | AM_SEEKING_CanGetCurrentPos |
                                AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;

}  // namespace

Seeking::Seeking(IUnknown& owner, SourceFilter& filter) : m_owner(owner), m_filter(filter) {
    InitializeCriticalSection(&m_lock);
}

Seeking::~Seeking() { DeleteCriticalSection(&m_lock); }

void Seeking::Segment(uint64_t& start, uint64_t& stop) {
    ScopedSection lock(m_lock);
    start = m_start;
    stop = m_stop > m_start ? m_stop : m_start;
}

void Seeking::Reset(uint64_t totalBlocks) {
    ScopedSection lock(m_lock);
    m_total = totalBlocks;
    m_start = 0;
    m_stop = totalBlocks;
}

bool Seeking::Supported(const GUID& format) {
    return format == TIME_FORMAT_MEDIA_TIME || format == TIME_FORMAT_SAMPLE;
}

PositionUnit Seeking::UnitOf(const GUID* format) const {
    return (format ? *format : m_format) == TIME_FORMAT_SAMPLE ? PositionUnit::Samples : PositionUnit::Time;
}

FilePositions Seeking::Positions() const { return FilePositions(m_filter.SampleRate(), m_total); }

LONGLONG Seeking::ValueOf(uint64_t block, const GUID* format) const { return Positions().ValueOf(block, UnitOf(format)); }

STDMETHODIMP Seeking::GetCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    *capabilities = kCapabilities;
    return S_OK;
}

STDMETHODIMP Seeking::CheckCapabilities(DWORD* capabilities) {
    if (!capabilities) return E_POINTER;
    const DWORD asked = *capabilities;
    *capabilities &= kCapabilities;
    if (*capabilities == asked) return S_OK;
    return *capabilities ? S_FALSE : E_FAIL;
}

STDMETHODIMP Seeking::IsFormatSupported(const GUID* format) {
    if (!format) return E_POINTER;
    return Supported(*format) ? S_OK : S_FALSE;
}

STDMETHODIMP Seeking::QueryPreferredFormat(GUID* format) {
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

STDMETHODIMP Seeking::GetTimeFormat(GUID* format) {
    if (!format) return E_POINTER;
    ScopedSection lock(m_lock);
    *format = m_format;
    return S_OK;
}

STDMETHODIMP Seeking::IsUsingTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    ScopedSection lock(m_lock);
    return *format == m_format ? S_OK : S_FALSE;
}

STDMETHODIMP Seeking::SetTimeFormat(const GUID* format) {
    if (!format) return E_POINTER;
    if (!Supported(*format)) return E_INVALIDARG;
    ScopedSection lock(m_lock);
    m_format = *format;
    return S_OK;
}

STDMETHODIMP Seeking::GetDuration(LONGLONG* duration) {
    if (!duration) return E_POINTER;
    ScopedSection lock(m_lock);
    *duration = ValueOf(m_total, nullptr);
    return S_OK;
}

STDMETHODIMP Seeking::GetStopPosition(LONGLONG* stop) {
    if (!stop) return E_POINTER;
    ScopedSection lock(m_lock);
    *stop = ValueOf(m_stop, nullptr);
    return S_OK;
}

STDMETHODIMP Seeking::GetCurrentPosition(LONGLONG* current) {
    if (!current) return E_POINTER;
    ScopedSection lock(m_lock);
    *current = ValueOf(m_start, nullptr);
    return S_OK;
}

STDMETHODIMP Seeking::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                        const GUID* sourceFormat) {
    if (!target) return E_POINTER;
    ScopedSection lock(m_lock);
    if ((targetFormat && !Supported(*targetFormat)) || (sourceFormat && !Supported(*sourceFormat)))
        return E_INVALIDARG;
    const GUID& from = sourceFormat ? *sourceFormat : m_format;
    const GUID& to = targetFormat ? *targetFormat : m_format;
    if (from == to) {
        *target = source;
        return S_OK;
    }
    // A plain conversion, not limited to the file, held at the ends of the range.
    const MediaClock clock(m_filter.SampleRate());
    *target = to == TIME_FORMAT_SAMPLE ? static_cast<LONGLONG>(std::min<uint64_t>(clock.BlockAt(source), LLONG_MAX))
                                       : clock.TimeOf(source > 0 ? static_cast<uint64_t>(source) : 0);
    return S_OK;
}

namespace {

PositionMove MoveOf(DWORD flags) {
    switch (flags & AM_SEEKING_PositioningBitsMask) {
    case AM_SEEKING_AbsolutePositioning: return PositionMove::Absolute;
    case AM_SEEKING_RelativePositioning: return PositionMove::Relative;
    case AM_SEEKING_IncrementalPositioning: return PositionMove::Incremental;
    default: return PositionMove::None;
    }
}

}  // namespace

STDMETHODIMP Seeking::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) {
    const DWORD currentHow = currentFlags & AM_SEEKING_PositioningBitsMask;
    const DWORD stopHow = stopFlags & AM_SEEKING_PositioningBitsMask;
    if ((currentHow && !current) || (stopHow && !stop)) return E_POINTER;
    if (currentHow == AM_SEEKING_IncrementalPositioning) return E_INVALIDARG;
    if (!currentHow && !stopHow) return S_OK;
    // The filter's lock first: streaming stops and starts again under it.
    FilterLock filterLock(m_filter);
    uint64_t start = 0, end = 0;
    {
        ScopedSection lock(m_lock);
        const FilePositions positions = Positions();
        const PositionUnit unit = UnitOf(nullptr);
        start = positions.Moved(m_start, m_start, currentHow ? *current : 0, MoveOf(currentFlags), unit);
        end = positions.Moved(m_stop, start, stopHow ? *stop : 0, MoveOf(stopFlags), unit);
        m_start = start;
        m_stop = end;
    }
    if (currentHow && (currentFlags & AM_SEEKING_ReturnTime)) *current = MediaClock(m_filter.SampleRate()).TimeOf(start);
    if (stopHow && (stopFlags & AM_SEEKING_ReturnTime)) *stop = MediaClock(m_filter.SampleRate()).TimeOf(end);
    return m_filter.Reposition();
}

STDMETHODIMP Seeking::GetPositions(LONGLONG* current, LONGLONG* stop) {
    ScopedSection lock(m_lock);
    if (current) *current = ValueOf(m_start, nullptr);
    if (stop) *stop = ValueOf(m_stop, nullptr);
    return S_OK;
}

STDMETHODIMP Seeking::GetAvailable(LONGLONG* earliest, LONGLONG* latest) {
    ScopedSection lock(m_lock);
    if (earliest) *earliest = 0;
    if (latest) *latest = ValueOf(m_total, nullptr);
    return S_OK;
}

STDMETHODIMP Seeking::SetRate(double rate) { return rate == 1.0 ? S_OK : E_INVALIDARG; }

STDMETHODIMP Seeking::GetRate(double* rate) {
    if (!rate) return E_POINTER;
    *rate = 1.0;
    return S_OK;
}

STDMETHODIMP Seeking::GetPreroll(LONGLONG* preroll) {
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}

}  // namespace zemsource
