// PackFormat
