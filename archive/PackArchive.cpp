// PackArchive
