// BdiDecoders
