// ByteBuffer
