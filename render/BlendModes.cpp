// BlendModes
