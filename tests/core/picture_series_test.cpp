// placeholder until the decoders land
