/// @file
/// The subset of DirectDraw 7 that the display and the game window use, for POSIX systems: the SDK's names, method
/// signatures, struct layouts, flag values and error codes. The interfaces are abstract classes
/// with IUnknown's three methods first and, of the others, only the ones the display calls, in the
/// SDK's relative order. Microsoft's documentation describes every name; the comments here add
/// what the layer does on POSIX systems.
///
/// On POSIX systems (platform/win32/) every surface is memory holding 16-bit RGB565 pixels. The
/// primary surface is the screen: windowed, the whole desktop, through which the window's client
/// area is shown; full screen, the front of a flipping chain at the display mode's size. A clipper
/// bound to a window keeps blits and colour fills on the primary inside the window's client area.
/// Changing the display mode loses every surface made before; Restore brings a surface back when
/// the mode it was made in is current again.
#pragma once

#include "win32/Types.h"

struct IDirectDraw7;
struct IDirectDrawSurface7;
struct IDirectDrawClipper;
/// @{

/// Pointers to the interfaces, with the SDK's names.
typedef IDirectDraw7* LPDIRECTDRAW7;
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;
/// @}

/// @{

/// Interface identifiers, for QueryInterface and DirectDrawCreateEx.
extern const GUID IID_IUnknown;
extern const GUID IID_IDirectDraw7;
extern const GUID IID_IDirectDrawSurface7;
extern const GUID IID_IDirectDrawClipper;
/// @}

/// @{

/// A colour key: the range of colours a blit or overlay leaves transparent.
typedef struct _DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
} DDCOLORKEY, *LPDDCOLORKEY;
/// @}

/// @{

/// A surface's capabilities: DDSCAPS_ flags in dwCaps.
typedef struct _DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  union {
    DWORD dwCaps4;
    DWORD dwVolumeDepth;
  };
} DDSCAPS2, *LPDDSCAPS2;
/// @}

/// @{

/// A surface's pixel format.
typedef struct _DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  union {
    DWORD dwRGBBitCount;
    DWORD dwYUVBitCount;
    DWORD dwZBufferBitDepth;
    DWORD dwAlphaBitDepth;
    DWORD dwLuminanceBitCount;
    DWORD dwBumpBitCount;
    DWORD dwPrivateFormatBitCount;
  };
  union {
    DWORD dwRBitMask;
    DWORD dwYBitMask;
    DWORD dwStencilBitDepth;
    DWORD dwLuminanceBitMask;
    DWORD dwBumpDuBitMask;
    DWORD dwOperations;
  };
  union {
    DWORD dwGBitMask;
    DWORD dwUBitMask;
    DWORD dwZBitMask;
    DWORD dwBumpDvBitMask;
    struct {
      WORD wFlipMSTypes;
      WORD wBltMSTypes;
    } MultiSampleCaps;
  };
  union {
    DWORD dwBBitMask;
    DWORD dwVBitMask;
    DWORD dwStencilBitMask;
    DWORD dwBumpLuminanceBitMask;
  };
  union {
    DWORD dwRGBAlphaBitMask;
    DWORD dwYUVAlphaBitMask;
    DWORD dwLuminanceAlphaBitMask;
    DWORD dwRGBZBitMask;
    DWORD dwYUVZBitMask;
  };
} DDPIXELFORMAT, *LPDDPIXELFORMAT;
/// @}

/// @{

/// A surface's description, for CreateSurface and Lock. 124 bytes in a 32-bit build; with 64-bit
/// pointers lpSurface is aligned to 8 and the whole to 8.
typedef struct _DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  union {
    LONG lPitch;
    DWORD dwLinearSize;
  };
  union {
    DWORD dwBackBufferCount;
    DWORD dwDepth;
  };
  union {
    DWORD dwMipMapCount;
    DWORD dwRefreshRate;
    DWORD dwSrcVBHandle;
  };
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  union {
    DDCOLORKEY ddckCKDestOverlay;
    DWORD dwEmptyFaceColor;
  };
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  union {
    DDPIXELFORMAT ddpfPixelFormat;
    DWORD dwFVF;
  };
  DDSCAPS2 ddsCaps;
  DWORD dwTextureStage;
} DDSURFACEDESC2, *LPDDSURFACEDESC2;
/// @}

/// @{

/// A blit's effects, such as DDBLT_COLORFILL's colour. 100 bytes in a 32-bit build; the pointer
/// members make it larger with 64-bit pointers.
typedef struct _DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  union {
    DWORD dwZDestConst;
    IDirectDrawSurface7* lpDDSZBufferDest;
  };
  DWORD dwZSrcConstBitDepth;
  union {
    DWORD dwZSrcConst;
    IDirectDrawSurface7* lpDDSZBufferSrc;
  };
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  union {
    DWORD dwAlphaDestConst;
    IDirectDrawSurface7* lpDDSAlphaDest;
  };
  DWORD dwAlphaSrcConstBitDepth;
  union {
    DWORD dwAlphaSrcConst;
    IDirectDrawSurface7* lpDDSAlphaSrc;
  };
  union {
    DWORD dwFillColor;
    DWORD dwFillDepth;
    DWORD dwFillPixel;
    IDirectDrawSurface7* lpDDSPattern;
  };
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
} DDBLTFX, *LPDDBLTFX;
/// @}

/// @{

/// Surface description flags: which members of a DDSURFACEDESC2 are valid.
#define DDSD_CAPS 0x00000001l
#define DDSD_HEIGHT 0x00000002l
#define DDSD_WIDTH 0x00000004l
#define DDSD_PITCH 0x00000008l
#define DDSD_BACKBUFFERCOUNT 0x00000020l
#define DDSD_ZBUFFERBITDEPTH 0x00000040l
#define DDSD_ALPHABITDEPTH 0x00000080l
#define DDSD_LPSURFACE 0x00000800l
#define DDSD_PIXELFORMAT 0x00001000l
#define DDSD_CKDESTOVERLAY 0x00002000l
#define DDSD_CKDESTBLT 0x00004000l
#define DDSD_CKSRCOVERLAY 0x00008000l
#define DDSD_CKSRCBLT 0x00010000l
#define DDSD_MIPMAPCOUNT 0x00020000l
#define DDSD_REFRESHRATE 0x00040000l
#define DDSD_LINEARSIZE 0x00080000l
#define DDSD_TEXTURESTAGE 0x00100000l
#define DDSD_FVF 0x00200000l
#define DDSD_SRCVBHANDLE 0x00400000l
#define DDSD_DEPTH 0x00800000l
#define DDSD_ALL 0x00fff9eel
/// @}

/// @{

/// Surface capabilities (DDSCAPS2::dwCaps).
#define DDSCAPS_RESERVED1 0x00000001l
#define DDSCAPS_ALPHA 0x00000002l
#define DDSCAPS_BACKBUFFER 0x00000004l
#define DDSCAPS_COMPLEX 0x00000008l
#define DDSCAPS_FLIP 0x00000010l
#define DDSCAPS_FRONTBUFFER 0x00000020l
#define DDSCAPS_OFFSCREENPLAIN 0x00000040l
#define DDSCAPS_OVERLAY 0x00000080l
#define DDSCAPS_PALETTE 0x00000100l
#define DDSCAPS_PRIMARYSURFACE 0x00000200l
#define DDSCAPS_RESERVED3 0x00000400l
#define DDSCAPS_SYSTEMMEMORY 0x00000800l
#define DDSCAPS_TEXTURE 0x00001000l
#define DDSCAPS_3DDEVICE 0x00002000l
#define DDSCAPS_VIDEOMEMORY 0x00004000l
#define DDSCAPS_VISIBLE 0x00008000l
#define DDSCAPS_WRITEONLY 0x00010000l
#define DDSCAPS_ZBUFFER 0x00020000l
#define DDSCAPS_OWNDC 0x00040000l
#define DDSCAPS_LIVEVIDEO 0x00080000l
#define DDSCAPS_HWCODEC 0x00100000l
#define DDSCAPS_MODEX 0x00200000l
#define DDSCAPS_MIPMAP 0x00400000l
#define DDSCAPS_ALLOCONLOAD 0x04000000l
#define DDSCAPS_VIDEOPORT 0x08000000l
#define DDSCAPS_LOCALVIDMEM 0x10000000l
#define DDSCAPS_NONLOCALVIDMEM 0x20000000l
#define DDSCAPS_STANDARDVGAMODE 0x40000000l
#define DDSCAPS_OPTIMIZED 0x80000000l
/// @}

/// @{

/// Pixel format flags.
#define DDPF_ALPHAPIXELS 0x00000001l
#define DDPF_ALPHA 0x00000002l
#define DDPF_FOURCC 0x00000004l
#define DDPF_PALETTEINDEXED8 0x00000020l
#define DDPF_RGB 0x00000040l
/// @}

/// @{

/// Flags of SetCooperativeLevel.
#define DDSCL_FULLSCREEN 0x00000001l
#define DDSCL_ALLOWREBOOT 0x00000002l
#define DDSCL_NOWINDOWCHANGES 0x00000004l
#define DDSCL_NORMAL 0x00000008l
#define DDSCL_EXCLUSIVE 0x00000010l
#define DDSCL_ALLOWMODEX 0x00000040l
#define DDSCL_SETFOCUSWINDOW 0x00000080l
#define DDSCL_SETDEVICEWINDOW 0x00000100l
#define DDSCL_CREATEDEVICEWINDOW 0x00000200l
#define DDSCL_MULTITHREADED 0x00000400l
#define DDSCL_FPUSETUP 0x00000800l
#define DDSCL_FPUPRESERVE 0x00001000l
/// @}

/// @{

/// Flags of Lock.
#define DDLOCK_SURFACEMEMORYPTR 0x00000000L
#define DDLOCK_WAIT 0x00000001L
#define DDLOCK_EVENT 0x00000002L
#define DDLOCK_READONLY 0x00000010L
#define DDLOCK_WRITEONLY 0x00000020L
#define DDLOCK_NOSYSLOCK 0x00000800L
#define DDLOCK_NOOVERWRITE 0x00001000L
#define DDLOCK_DISCARDCONTENTS 0x00002000L
#define DDLOCK_DONOTWAIT 0x00004000L
/// @}

/// @{

/// Flags of Blt.
#define DDBLT_ALPHADEST 0x00000001l
#define DDBLT_ALPHASRC 0x00000100l
#define DDBLT_ASYNC 0x00000200l
#define DDBLT_COLORFILL 0x00000400l
#define DDBLT_DDFX 0x00000800l
#define DDBLT_DDROPS 0x00001000l
#define DDBLT_KEYDEST 0x00002000l
#define DDBLT_KEYDESTOVERRIDE 0x00004000l
#define DDBLT_KEYSRC 0x00008000l
#define DDBLT_KEYSRCOVERRIDE 0x00010000l
#define DDBLT_ROP 0x00020000l
#define DDBLT_ROTATIONANGLE 0x00040000l
#define DDBLT_ZBUFFER 0x00080000l
#define DDBLT_WAIT 0x01000000l
#define DDBLT_DEPTHFILL 0x02000000l
#define DDBLT_DONOTWAIT 0x08000000l
/// @}

/// @{

/// Flags of Flip.
#define DDFLIP_WAIT 0x00000001L
#define DDFLIP_EVEN 0x00000002L
#define DDFLIP_ODD 0x00000004L
#define DDFLIP_NOVSYNC 0x00000008L
#define DDFLIP_STEREO 0x00000010L
#define DDFLIP_DONOTWAIT 0x00000020L
/// @}

/// @{

/// Flags of WaitForVerticalBlank.
#define DDWAITVB_BLOCKBEGIN 0x00000001L
#define DDWAITVB_BLOCKBEGINEVENT 0x00000002L
#define DDWAITVB_BLOCKEND 0x00000004L
/// @}

/// @name Results
/// @{

#define _FACDD 0x876
/// DirectDraw's results: DD_OK, DD_FALSE and the DDERR_ failures, most made by MAKE_DDHRESULT.
#define MAKE_DDHRESULT(code) ((HRESULT)(((DWORD)1 << 31) | ((DWORD)_FACDD << 16) | (DWORD)(code)))
#define DD_OK S_OK
#define DD_FALSE ((HRESULT)1L)
#define DDERR_ALREADYINITIALIZED MAKE_DDHRESULT(5)
#define DDERR_CANNOTATTACHSURFACE MAKE_DDHRESULT(10)
#define DDERR_CANNOTDETACHSURFACE MAKE_DDHRESULT(20)
#define DDERR_CURRENTLYNOTAVAIL MAKE_DDHRESULT(40)
#define DDERR_EXCEPTION MAKE_DDHRESULT(55)
#define DDERR_GENERIC E_FAIL
#define DDERR_HEIGHTALIGN MAKE_DDHRESULT(90)
#define DDERR_INCOMPATIBLEPRIMARY MAKE_DDHRESULT(95)
#define DDERR_INVALIDCAPS MAKE_DDHRESULT(100)
#define DDERR_INVALIDCLIPLIST MAKE_DDHRESULT(110)
#define DDERR_INVALIDMODE MAKE_DDHRESULT(120)
#define DDERR_INVALIDOBJECT MAKE_DDHRESULT(130)
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_INVALIDPIXELFORMAT MAKE_DDHRESULT(145)
#define DDERR_INVALIDRECT MAKE_DDHRESULT(150)
#define DDERR_LOCKEDSURFACES MAKE_DDHRESULT(160)
#define DDERR_NOCLIPLIST MAKE_DDHRESULT(205)
#define DDERR_NOCOOPERATIVELEVELSET MAKE_DDHRESULT(212)
#define DDERR_NOEXCLUSIVEMODE MAKE_DDHRESULT(225)
#define DDERR_NOTFOUND MAKE_DDHRESULT(255)
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_OUTOFVIDEOMEMORY MAKE_DDHRESULT(380)
#define DDERR_SURFACEBUSY MAKE_DDHRESULT(430)
#define DDERR_SURFACELOST MAKE_DDHRESULT(450)
#define DDERR_SURFACENOTATTACHED MAKE_DDHRESULT(460)
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_WASSTILLDRAWING MAKE_DDHRESULT(540)
#define DDERR_PRIMARYSURFACEALREADYEXISTS MAKE_DDHRESULT(564)
#define DDERR_CLIPPERISUSINGHWND MAKE_DDHRESULT(567)
#define DDERR_NOCLIPPERATTACHED MAKE_DDHRESULT(568)
#define DDERR_NOHWND MAKE_DDHRESULT(569)
#define DDERR_HWNDALREADYSET MAKE_DDHRESULT(571)
#define DDERR_EXCLUSIVEMODEALREADYSET MAKE_DDHRESULT(581)
#define DDERR_NOTFLIPPABLE MAKE_DDHRESULT(582)
#define DDERR_NOTLOCKED MAKE_DDHRESULT(584)
#define DDERR_CANTCREATEDC MAKE_DDHRESULT(585)
#define DDERR_NODC MAKE_DDHRESULT(586)
#define DDERR_WRONGMODE MAKE_DDHRESULT(587)
#define DDERR_UNSUPPORTEDMODE MAKE_DDHRESULT(590)
#define DDERR_DCALREADYCREATED MAKE_DDHRESULT(620)
/// @}

/// The base of every COM interface: a reference count and the way to the object's other
/// interfaces.
struct IUnknown {
  /// Another interface of the object, holding a reference of its own.
  virtual HRESULT QueryInterface(REFIID riid, LPVOID* ppvObj) = 0;
  /// Adds a reference; the new count.
  virtual ULONG AddRef() = 0;
  /// Drops a reference, destroying the object with the last one; the new count.
  virtual ULONG Release() = 0;

protected:
  ~IUnknown() = default;
};
/// A pointer to IUnknown.
typedef IUnknown* LPUNKNOWN;

/// Keeps blits and colour fills on the primary surface inside a window's client area.
struct IDirectDrawClipper : public IUnknown {
  /// Binds the clipper to a window.
  virtual HRESULT SetHWnd(DWORD dwFlags, HWND hWnd) = 0;

protected:
  ~IDirectDrawClipper() = default;
};

/// A surface: 16-bit pixels in memory on POSIX systems (see above).
struct IDirectDrawSurface7 : public IUnknown {
  /// Copies a rectangle of another surface into this one, scaled to fit, or fills a rectangle
  /// (DDBLT_COLORFILL).
  virtual HRESULT Blt(LPRECT lpDestRect, LPDIRECTDRAWSURFACE7 lpDDSrcSurface, LPRECT lpSrcRect, DWORD dwFlags,
                      LPDDBLTFX lpDDBltFx) = 0;
  /// Shows a flipping chain's back surface: front and back trade places.
  virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 lpDDSurfaceTargetOverride, DWORD dwFlags) = 0;
  /// The surface attached with the given capabilities (a flipping chain's back surface).
  virtual HRESULT GetAttachedSurface(LPDDSCAPS2 lpDDSCaps, LPDIRECTDRAWSURFACE7* lplpDDAttachedSurface) = 0;
  /// A device context for GDI drawing on the surface (TextOutA).
  virtual HRESULT GetDC(HDC* lphDC) = 0;
  /// The surface's pixels (lpSurface and lPitch of the description) until Unlock.
  virtual HRESULT Lock(LPRECT lpDestRect, LPDDSURFACEDESC2 lpDDSurfaceDesc, DWORD dwFlags, HANDLE hEvent) = 0;
  /// Gives back the device context of GetDC.
  virtual HRESULT ReleaseDC(HDC hDC) = 0;
  /// Brings a lost surface back (see above).
  virtual HRESULT Restore() = 0;
  /// Binds a clipper to the surface.
  virtual HRESULT SetClipper(LPDIRECTDRAWCLIPPER lpDDClipper) = 0;
  /// Ends the access Lock gave.
  virtual HRESULT Unlock(LPRECT lpRect) = 0;

protected:
  ~IDirectDrawSurface7() = default;
};

/// The DirectDraw object: the cooperative level, the display mode, surfaces and clippers.
struct IDirectDraw7 : public IUnknown {
  /// A new clipper.
  virtual HRESULT CreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER* lplpDDClipper, IUnknown* pUnkOuter) = 0;
  /// A new surface, as the description asks.
  virtual HRESULT CreateSurface(LPDDSURFACEDESC2 lpDDSurfaceDesc2, LPDIRECTDRAWSURFACE7* lplpDDSurface,
                                IUnknown* pUnkOuter) = 0;
  /// Puts the desktop's display mode back.
  virtual HRESULT RestoreDisplayMode() = 0;
  /// Windowed (DDSCL_NORMAL) or exclusive full screen (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) on
  /// the window.
  virtual HRESULT SetCooperativeLevel(HWND hWnd, DWORD dwFlags) = 0;
  /// Switches the display to a mode (full screen only).
  virtual HRESULT SetDisplayMode(DWORD dwWidth, DWORD dwHeight, DWORD dwBPP, DWORD dwRefreshRate, DWORD dwFlags) = 0;
  /// Waits for the display's next refresh, where the back end can (DDERR_UNSUPPORTED where it
  /// cannot: then it returns at once). A back end that waits as part of showing a picture, as SDL
  /// does with vsync, makes every later picture of the window wait for a refresh instead.
  virtual HRESULT WaitForVerticalBlank(DWORD dwFlags, HANDLE hEvent) = 0;

protected:
  ~IDirectDraw7() = default;
};

/// Creates the DirectDraw object (iid: IID_IDirectDraw7).
HRESULT WINAPI DirectDrawCreateEx(GUID* lpGuid, LPVOID* lplpDD, REFIID iid, IUnknown* pUnkOuter);
