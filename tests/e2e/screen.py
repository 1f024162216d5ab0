"""Fast reads of a screen rectangle straight from the X server, for watching an animation.

`import -window root` takes far longer than a frame of the fastest tree; XGetImage of a
small rectangle takes a few milliseconds. Pixels come back as B, G, R, pad bytes.
"""
import ctypes
import ctypes.util


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


_ZPIXMAP = 2
_ALL_PLANES = ctypes.c_ulong(-1).value


class ScreenReader:
    def __init__(self, display):
        self._x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XGetImage.restype = ctypes.POINTER(_XImage)
        self._x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                      ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self._x.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._dpy = self._x.XOpenDisplay(display.encode())
        if not self._dpy:
            raise RuntimeError(f"cannot open display {display}")
        self._root = self._x.XDefaultRootWindow(self._dpy)

    def grab(self, x, y, width, height):
        """The rectangle as bytes, 4 per pixel (B, G, R, pad), rows top-down without padding."""
        img = self._x.XGetImage(self._dpy, self._root, x, y, width, height, _ALL_PLANES, _ZPIXMAP)
        if not img:
            raise RuntimeError("XGetImage failed")
        try:
            im = img.contents
            if im.bits_per_pixel != 32 or im.red_mask != 0xFF0000 or im.blue_mask != 0xFF:
                raise RuntimeError(f"unexpected pixel format ({im.bits_per_pixel} bits per pixel)")
            raw = ctypes.string_at(im.data, im.bytes_per_line * height)
            if im.bytes_per_line == width * 4:
                return raw
            return b"".join(raw[r * im.bytes_per_line:r * im.bytes_per_line + width * 4] for r in range(height))
        finally:
            self._x.XDestroyImage(img)

    def close(self):
        if self._dpy:
            self._x.XCloseDisplay(self._dpy)
            self._dpy = None
